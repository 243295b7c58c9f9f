// Whole-file reading and the replacing save under Windows: wide file names,
// the temporary file beside the target, owner-only private files, leftover
// temporaries, and errors that name the file and the system's reason.
#include "Check.h"
#include "Scratch.h"
#include "Errors.h"
#include "TextFile.h"

#include <windows.h>

#include <aclapi.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace fs = std::filesystem;

namespace {

std::set<fs::path> namesIn(const fs::path &dir)
{
    std::set<fs::path> names;
    for (const fs::directory_entry &e : fs::directory_iterator(dir))
        names.insert(e.path().filename());
    return names;
}

void touch(const fs::path &file)
{
    std::ofstream(file, std::ios::binary) << "x";
}

// The text of the EFileError that action raises, or "(none)".
std::string errorOf(const std::function<void()> &action, fs::path *file = nullptr)
{
    try {
        action();
    } catch (const EFileError &e) {
        if (file)
            *file = e.file();
        return e.what();
    }
    return "(none)";
}

bool underWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Whether the file lets its owner alone at it. Windows keeps the list the
// save gave the file: protected from the folder's, one entry, for the user
// running the test. Wine keeps Unix permissions instead and shows them as a
// list of the user and SYSTEM, with Everyone added when others may read the
// file; there the file is owner-only when Everyone is missing.
bool ownerOnly(const fs::path &file)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool wine = underWine();
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    bool ok = dacl && dacl->AceCount >= 1 && (wine || (dacl->AceCount == 1 && (control & SE_DACL_PROTECTED)));

    HANDLE token = nullptr;
    unsigned char user[256];
    DWORD size = sizeof user;
    ok = ok && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
         GetTokenInformation(token, TokenUser, user, size, &size);
    if (token)
        CloseHandle(token);
    unsigned char system[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof system;
    ok = ok && CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize);
    for (DWORD i = 0; ok && i < dacl->AceCount; ++i) {
        void *ace = nullptr;
        ok = GetAce(dacl, i, &ace) && static_cast<ACE_HEADER *>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE;
        if (!ok)
            break;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE *>(ace)->SidStart;
        ok = EqualSid(sid, reinterpret_cast<TOKEN_USER *>(user)->User.Sid) || (wine && EqualSid(sid, system));
    }
    LocalFree(descriptor);
    return ok;
}

} // namespace

int main()
{
    Check check("tst_win_textfile");
    const fs::path dir = scratchPath(L"postwright-files-");
    fs::create_directories(dir);

    // Every byte survives, under names that no 8-bit code page holds.
    struct Case {
        const char *name;
        std::wstring file;
        std::string content;
    };
    const Case cases[] = {
        {"plain name", L"Forums.dat", "URL^User^Password\r\nhttp://a.example/^me^pw\r\n"},
        {"every byte value", L"Messages.dat",
         [] {
             std::string all;
             for (int i = 0; i < 256; ++i)
                 all += static_cast<char>(i);
             return all;
         }()},
        {"wide name", L"F\u00f6rums-\u65e5\u672c.dat", "caf\xC3\xA9\n"},
        {"empty content", L"Formats.dat", ""},
    };
    for (const Case &c : cases) {
        const fs::path file = dir / c.file;
        const std::string name = c.name;
        TextFile::writeReplacing(file, "old content that is longer than the new one\n",
                                 TextFile::Access::Shared);
        TextFile::writeReplacing(file, c.content, TextFile::Access::Shared);
        check.equal(name + ": read back", TextFile::readIfExists(file).value_or("(missing)"), c.content);
    }
    check.equal("no temporary file stays behind", std::to_string(namesIn(dir).size()), "4");

    // A private file is born owner-only and stays so after every rewrite.
    const fs::path forums = dir / "Private.dat";
    TextFile::writeReplacing(forums, "secret 1", TextFile::Access::Private);
    check.that("a new private file is owner-only", ownerOnly(forums));
    TextFile::writeReplacing(forums, "secret 2", TextFile::Access::Private);
    check.that("a rewritten private file is owner-only", ownerOnly(forums));
    // The check above can fail: a shared file lets others read it.
    check.that("a shared file is not owner-only", !ownerOnly(dir / "Forums.dat"));
    check.equal("the private file's content", TextFile::readIfExists(forums).value_or("(missing)"),
                "secret 2");

    // Missing files read as nothing; a folder in a file's place is an error
    // that names it.
    check.that("a missing file reads as nothing", !TextFile::readIfExists(dir / "absent.dat"));
    check.that("a file under a missing folder reads as nothing",
               !TextFile::readIfExists(dir / "absent" / "deeper.dat"));
    fs::create_directory(dir / "Folder.dat");
    fs::path named;
    const std::string folderError = errorOf([&] { TextFile::readIfExists(dir / "Folder.dat"); }, &named);
    check.that("a folder read as a file raises: " + folderError,
               folderError.starts_with("Cannot open file \""));
    check.that("the error names the folder", named == dir / "Folder.dat");
    check.that("the error carries the system's reason",
               folderError.size() > (dir / "Folder.dat").string().size() + 22);

    // A save into a missing folder fails, naming the file, and makes nothing.
    const std::string saveError = errorOf(
        [&] { TextFile::writeReplacing(dir / "absent" / "Forums.dat", "x", TextFile::Access::Shared); },
        &named);
    check.that("a save into a missing folder raises: " + saveError,
               saveError.starts_with("Cannot create a temporary file beside \""));
    check.that("the missing folder is not made", !fs::exists(dir / "absent"));

    // Temporaries that cut-off saves left go; other files stay.
    const fs::path leftovers = dir / "left";
    fs::create_directory(leftovers);
    for (const char *name : {".Forums.dat.Ab3dE9.tmp", ".Forums.dat.abcd1234.tmp", ".Forums.dat.x.tmp",
                             ".Messages.dat.Ab3dE9.tmp", "Forums.dat", ".Forums.dat.Ab-dE9.tmp"})
        touch(leftovers / name);
    TextFile::removeLeftoverTemporaries(leftovers / "Forums.dat");
    const std::set<fs::path> expected = {".Forums.dat.x.tmp", ".Messages.dat.Ab3dE9.tmp", "Forums.dat",
                                         ".Forums.dat.Ab-dE9.tmp"};
    check.that("only the save's own leftovers are removed", namesIn(leftovers) == expected);

    // Appending: a new file gets the header line first, a last line without
    // its end is ended before the new lines, and a folder in the file's place
    // is an error that names it.
    const fs::path log = dir / L"P\u00f6stLog.dat";
    TextFile::appendLines(log, "H^\r\n", "a^\r\n");
    TextFile::appendLines(log, "H^\r\n", "b^\r\n");
    check.equal("appended to a new file", TextFile::readIfExists(log).value_or("(missing)"), "H^\r\na^\r\nb^\r\n");
    std::ofstream(dir / "Cut.dat", std::ios::binary) << "H^\r\nx^";
    TextFile::appendLines(dir / "Cut.dat", "H^\r\n", "y^\r\n");
    check.equal("a last line without its end is ended first",
                TextFile::readIfExists(dir / "Cut.dat").value_or("(missing)"), "H^\r\nx^\r\ny^\r\n");
    const std::string appendError =
        errorOf([&] { TextFile::appendLines(dir / "Folder.dat", "H^\r\n", "z^\r\n"); }, &named);
    check.that("appending to a folder raises: " + appendError, appendError.starts_with("Cannot open file \""));
    check.that("the append error names the folder", named == dir / "Folder.dat");

    std::error_code ec;
    fs::remove_all(dir, ec);
    return check.finish();
}
