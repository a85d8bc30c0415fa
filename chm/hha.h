#pragma once
// The help compiler's C entry point, as callers load it by name from libhha.so.
#ifdef __cplusplus
extern "C" {
#endif

// Receives one zero-terminated message; the result is ignored.
typedef int (*HhaMessageCallback)(const char* text);

// Compiles the project at projectPath into the file named on its "Compiled file=" line. Errors and warnings go
// to the first callback, the names of files being compiled to the second; either may be null. Returns nonzero
// on success; on failure no output file is left behind.
__attribute__((visibility("default"))) int HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages,
                                                          HhaMessageCallback progress, int reserved);

#ifdef __cplusplus
}
#endif
