#pragma once
// The help compiler's C entry point, as callers load it by name from libhha.so or hha.dll.
#ifdef __cplusplus
extern "C" {
#endif

// On Windows the entry point and its callbacks use the system's own calling convention and the library exports
// this one name; elsewhere it is the one symbol the library makes visible.
#if defined(_WIN32)
#define HHA_CALL __stdcall
#if defined(HHA_BUILDING_LIBRARY)
#define HHA_EXPORT __declspec(dllexport)
#else
#define HHA_EXPORT __declspec(dllimport)
#endif
#else
#define HHA_CALL
#define HHA_EXPORT __attribute__((visibility("default")))
#endif

// Receives one zero-terminated message; the result is ignored.
typedef int(HHA_CALL* HhaMessageCallback)(const char* text);

// Compiles the project at projectPath into the file named on its "Compiled file=" line. Errors and warnings go
// to the first callback, the names of files being compiled to the second; either may be null. Returns nonzero
// on success; on failure no output file is left behind. Narrow text in and out is in the caller's code page.
HHA_EXPORT int HHA_CALL HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages,
                                       HhaMessageCallback progress, int reserved);

// Optional entry points that let the compression of a project's pages overlap their making; a caller that does not
// find them calls HHA_CompileHHP alone. HHA_BeginPagesAhead starts a section; HHA_AddPageAhead hands it one page
// file, as soon as it is saved, in the order the project's [FILES] will list the pages (first); the compile of
// HHA_CompileHHPWithPages takes the section over when the project's pages are those bytes, and otherwise compiles as
// HHA_CompileHHP does, with the same help file either way. HHA_EndPagesAhead frees the section, after the compile or
// instead of it.
// hha.dll keeps its one export, the name callers of the library's namesake look for; elsewhere these are visible too.
#if defined(_WIN32)
#define HHA_OPTIONAL_EXPORT
#else
#define HHA_OPTIONAL_EXPORT HHA_EXPORT
#endif
typedef struct HhaPagesAhead HhaPagesAhead;
HHA_OPTIONAL_EXPORT HhaPagesAhead* HHA_CALL HHA_BeginPagesAhead(void);
// Optional too, right after HHA_BeginPagesAhead: each page is also read into a search index on a thread of its own,
// for a project whose Language line gives this LCID; the compile takes the index when it indexes exactly those pages.
HHA_OPTIONAL_EXPORT void HHA_CALL HHA_IndexPagesAhead(HhaPagesAhead* pages, unsigned lcid);
HHA_OPTIONAL_EXPORT void HHA_CALL HHA_AddPageAhead(HhaPagesAhead* pages, const char* pagePath);
HHA_OPTIONAL_EXPORT int HHA_CALL HHA_CompileHHPWithPages(const char* projectPath, HhaMessageCallback messages,
                                                         HhaMessageCallback progress, HhaPagesAhead* pages);
HHA_OPTIONAL_EXPORT void HHA_CALL HHA_EndPagesAhead(HhaPagesAhead* pages);

#ifdef __cplusplus
}
#endif
