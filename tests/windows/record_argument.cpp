// Stands in for a web browser in the Windows tests: writes the arguments it
// was started with, one per line after their count, to the file named by
// POSTWRIGHT_RECORD_TO. The file appears whole, by a rename, so the test never
// reads half of it.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    char target[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableA("POSTWRIGHT_RECORD_TO", target, sizeof target);
    if (n == 0 || n >= sizeof target)
        return 2;
    const std::string temp = std::string(target) + ".part";
    FILE *out = std::fopen(temp.c_str(), "wb");
    if (!out)
        return 3;
    std::fprintf(out, "%d\n", argc - 1);
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    if (std::fclose(out) != 0)
        return 4;
    return MoveFileExA(temp.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
