#pragma once
// The language the operating system itself was set to speak, for a process whose environment names no locale.

// True when the system's user interface language is Chinese. POSIX systems say it in the environment alone, so
// there it is always false; Windows keeps it in the user's settings.
bool SystemSpeaksChinese();
