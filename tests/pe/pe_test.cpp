// What a built qelt.exe is, read from its headers: the right kind of PE
// file for its machine, a GUI program, ASLR and DEP on, no link timestamp,
// and nothing imported but Windows' own DLLs, so the one file runs on any
// Windows from 7 on.
//
//   qelt_test_pe <exe> <i386|amd64> [GoogleTest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::string ExePath;
bool Expect64 = false;

// DLLs that every Windows since 7 has in System32 (and Wine has too).
// msvcrt.dll is MinGW's C runtime and one of them; ucrtbase.dll and the
// api-ms-win-crt-* forwarders are not on a plain Windows 7. GCC's own
// runtime DLLs (libgcc_s_*, libstdc++-6, libwinpthread-1) are linked in
// statically and must not appear.
const std::set<std::string> WindowsDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll",    "msvcrt.dll",   "advapi32.dll",
    "shell32.dll",  "comctl32.dll", "comdlg32.dll", "ole32.dll",   "oleaut32.dll",
    "shlwapi.dll",  "uxtheme.dll",  "dwmapi.dll",   "version.dll", "imm32.dll",
    "psapi.dll"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class PeFile {
public:
    explicit PeFile(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        FBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
            return;
        FNtOffset = static_cast<size_t>(dos->e_lfanew);
        const auto* nt = At<IMAGE_NT_HEADERS32>(FNtOffset);
        FValid = nt && nt->Signature == IMAGE_NT_SIGNATURE;
    }

    bool Valid() const { return FValid; }
    bool Empty() const { return FBytes.empty(); }
    size_t Size() const { return FBytes.size(); }

    const IMAGE_FILE_HEADER& FileHeader() const { return At<IMAGE_NT_HEADERS32>(FNtOffset)->FileHeader; }
    WORD Magic() const { return At<IMAGE_NT_HEADERS32>(FNtOffset)->OptionalHeader.Magic; }
    bool Is64() const { return Magic() == IMAGE_NT_OPTIONAL_HDR64_MAGIC; }

    WORD Subsystem() const
    {
        return Is64() ? At<IMAGE_NT_HEADERS64>(FNtOffset)->OptionalHeader.Subsystem
                      : At<IMAGE_NT_HEADERS32>(FNtOffset)->OptionalHeader.Subsystem;
    }
    WORD DllCharacteristics() const
    {
        return Is64() ? At<IMAGE_NT_HEADERS64>(FNtOffset)->OptionalHeader.DllCharacteristics
                      : At<IMAGE_NT_HEADERS32>(FNtOffset)->OptionalHeader.DllCharacteristics;
    }
    IMAGE_DATA_DIRECTORY Directory(int index) const
    {
        const DWORD count = Is64() ? At<IMAGE_NT_HEADERS64>(FNtOffset)->OptionalHeader.NumberOfRvaAndSizes
                                   : At<IMAGE_NT_HEADERS32>(FNtOffset)->OptionalHeader.NumberOfRvaAndSizes;
        if (static_cast<DWORD>(index) >= count)
            return {};
        return Is64() ? At<IMAGE_NT_HEADERS64>(FNtOffset)->OptionalHeader.DataDirectory[index]
                      : At<IMAGE_NT_HEADERS32>(FNtOffset)->OptionalHeader.DataDirectory[index];
    }

    // File offset of an address in the loaded image, or 0 outside all sections.
    size_t Offset(DWORD rva) const
    {
        const size_t sections = FNtOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                FileHeader().SizeOfOptionalHeader;
        for (WORD i = 0; i < FileHeader().NumberOfSections; ++i) {
            const auto* section = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (!section)
                return 0;
            const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    std::string String(DWORD rva) const
    {
        const size_t offset = Offset(rva);
        if (offset == 0 || offset >= FBytes.size())
            return {};
        const char* start = reinterpret_cast<const char*>(FBytes.data()) + offset;
        return std::string(start, strnlen(start, FBytes.size() - offset));
    }

    // DLL names of a directory of IMAGE_IMPORT_DESCRIPTOR (or the delay-load
    // kind, whose name field sits elsewhere).
    template <typename Descriptor, typename NameOf>
    std::vector<std::string> Imports(int directory, NameOf nameOf) const
    {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY entry = Directory(directory);
        if (entry.VirtualAddress == 0)
            return names;
        for (size_t offset = Offset(entry.VirtualAddress);; offset += sizeof(Descriptor)) {
            const auto* descriptor = offset ? At<Descriptor>(offset) : nullptr;
            if (!descriptor) {
                names.push_back("<import table outside the file>");
                break;
            }
            if (nameOf(*descriptor) == 0)
                break;
            names.push_back(String(nameOf(*descriptor)));
        }
        return names;
    }

    template <typename T> const T* At(size_t offset) const
    {
        if (offset + sizeof(T) > FBytes.size())
            return nullptr;
        return reinterpret_cast<const T*>(FBytes.data() + offset);
    }

private:
    std::vector<unsigned char> FBytes;
    size_t FNtOffset = 0;
    bool FValid = false;
};

class QeltExe : public testing::Test {
protected:
    void SetUp() override
    {
        Exe = std::make_unique<PeFile>(ExePath);
        ASSERT_FALSE(Exe->Empty()) << ExePath << " is missing or empty; build it first";
        ASSERT_TRUE(Exe->Valid()) << ExePath << " is no PE file";
    }
    std::unique_ptr<PeFile> Exe;
};

TEST_F(QeltExe, IsThePeKindOfItsMachine)
{
    if (Expect64) {
        EXPECT_EQ(Exe->FileHeader().Machine, IMAGE_FILE_MACHINE_AMD64);
        EXPECT_EQ(Exe->Magic(), IMAGE_NT_OPTIONAL_HDR64_MAGIC) << "not PE32+";
        EXPECT_EQ(Exe->FileHeader().SizeOfOptionalHeader, sizeof(IMAGE_OPTIONAL_HEADER64));
    } else {
        EXPECT_EQ(Exe->FileHeader().Machine, IMAGE_FILE_MACHINE_I386);
        EXPECT_EQ(Exe->Magic(), IMAGE_NT_OPTIONAL_HDR32_MAGIC) << "not PE32";
        EXPECT_EQ(Exe->FileHeader().SizeOfOptionalHeader, sizeof(IMAGE_OPTIONAL_HEADER32));
        EXPECT_TRUE(Exe->FileHeader().Characteristics & IMAGE_FILE_32BIT_MACHINE);
    }
    EXPECT_TRUE(Exe->FileHeader().Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
    EXPECT_FALSE(Exe->FileHeader().Characteristics & IMAGE_FILE_DLL);
}

TEST_F(QeltExe, IsAGuiProgram)
{
    EXPECT_EQ(Exe->Subsystem(), IMAGE_SUBSYSTEM_WINDOWS_GUI) << "a console program opens a console window";
}

TEST_F(QeltExe, AsksForAslrAndDep)
{
    const WORD flags = Exe->DllCharacteristics();
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    if (Expect64) {
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
    // Without relocations the loader cannot move the image, whatever the flag says.
    EXPECT_FALSE(Exe->FileHeader().Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_NE(Exe->Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

TEST_F(QeltExe, StaysSmall)
{
    // One standalone file: at most 200 KB for the 32-bit product, 250 KB
    // for the 64-bit build.
    EXPECT_LE(Exe->Size(), Expect64 ? 250u * 1024 : 200u * 1024);
}

TEST_F(QeltExe, HasNoLinkTimestamp)
{
    EXPECT_EQ(Exe->FileHeader().TimeDateStamp, 0u);
}

TEST_F(QeltExe, ImportsOnlyWindowsOwnDlls)
{
    std::vector<std::string> dlls = Exe->Imports<IMAGE_IMPORT_DESCRIPTOR>(
        IMAGE_DIRECTORY_ENTRY_IMPORT, [](const IMAGE_IMPORT_DESCRIPTOR& d) { return d.Name; });
    ASSERT_FALSE(dlls.empty()) << "no import table at all";
    const std::vector<std::string> delayed = Exe->Imports<IMAGE_DELAYLOAD_DESCRIPTOR>(
        IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, [](const IMAGE_DELAYLOAD_DESCRIPTOR& d) { return d.DllNameRVA; });
    dlls.insert(dlls.end(), delayed.begin(), delayed.end());
    for (const std::string& dll : dlls)
        EXPECT_TRUE(WindowsDlls.count(Lower(dll))) << dll << " is not one of Windows' own DLLs";
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3 || (std::strcmp(argv[2], "i386") != 0 && std::strcmp(argv[2], "amd64") != 0)) {
        std::fprintf(stderr, "usage: %s <exe> <i386|amd64> [GoogleTest options]\n", argv[0]);
        return 2;
    }
    ExePath = argv[1];
    Expect64 = std::strcmp(argv[2], "amd64") == 0;
    std::printf("checking %s as %s\n", ExePath.c_str(), argv[2]);
    return RUN_ALL_TESTS();
}
