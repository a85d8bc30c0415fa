/* Calls hha.dll the way the converter's compile step does: the library is loaded by its bare name, the entry
 * point looked up by name, the project path handed over as a writable copy with the same callback in both slots
 * and 0, and the library unloaded again, once per compile, several times in one process.
 *
 *   hha_caller compile PROJECT CYCLES   compiles PROJECT (a path in the system code page) CYCLES times
 *   hha_caller no-library               the library name does not exist: nothing happens, nothing is shown
 *   hha_caller no-entry                 the library lacks the entry point: no call, the library is unloaded
 *
 * It prints one line of counts for the test script and exits 0 when the calls went as they should. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int(WINAPI* MessageCallback)(const char* text);
typedef int(WINAPI* CompileFunction)(char* projectPath, MessageCallback messages, MessageCallback progress,
                                     DWORD reserved);

static int callbackCalls = 0;

/* Formats the text into a temporary string and drops it, as the converter's callback does; the count is what the
 * test looks at. */
static int WINAPI CompilerMessageCallback(const char* text) {
    char formatted[1024];
    snprintf(formatted, sizeof formatted, "%s", text);
    ++callbackCalls;
    return 1;
}

/* One compile step: 1 when the entry point was called, 0 when it was skipped; -1 when the library stayed loaded. */
static int CompileOnce(const char* library, const char* entry, const char* projectPath) {
    HMODULE module = LoadLibraryA(library);
    if (module == NULL)
        return 0;
    /* Through the generic function pointer type, as a found export has no type of its own. */
    CompileFunction compile = (CompileFunction)(void (*)(void))GetProcAddress(module, entry);
    char* buffer = (char*)malloc(strlen(projectPath) + 1);
    strcpy(buffer, projectPath);
    int called = 0;
    if (compile != NULL) {
        compile(buffer, CompilerMessageCallback, CompilerMessageCallback, 0);
        called = 1;
    }
    free(buffer);
    FreeLibrary(module);
    return GetModuleHandleA(library) == NULL ? called : -1;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "compile") == 0) {
        const int cycles = atoi(argv[3]);
        int calls = 0;
        for (int i = 0; i < cycles; ++i) {
            const int result = CompileOnce("hha.dll", "HHA_CompileHHP", argv[2]);
            if (result < 0) {
                printf("hha.dll still loaded after FreeLibrary\n");
                return 1;
            }
            calls += result;
        }
        printf("calls=%d callbacks=%d\n", calls, callbackCalls);
        return calls == cycles ? 0 : 1;
    }
    if (argc == 2 && strcmp(argv[1], "no-library") == 0) {
        const int result = CompileOnce("hha-absent.dll", "HHA_CompileHHP", "absent.hhp");
        printf("calls=%d callbacks=%d\n", result, callbackCalls);
        return result == 0 && callbackCalls == 0 ? 0 : 1;
    }
    if (argc == 2 && strcmp(argv[1], "no-entry") == 0) {
        const int result = CompileOnce("hha.dll", "HHA_CompileHHP_Absent", "absent.hhp");
        printf("calls=%d callbacks=%d\n", result, callbackCalls);
        return result == 0 && callbackCalls == 0 ? 0 : 1;
    }
    fprintf(stderr, "usage: hha_caller compile PROJECT CYCLES | no-library | no-entry\n");
    return 2;
}
