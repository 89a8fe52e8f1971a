// Reads the resources back out of the built qelt.exe files, as Windows and
// Explorer would: the icon group, the version block, the manifest and the
// main form's definition. The 32-bit product is loaded as a data file, so
// this 64-bit test can read it too.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::wstring Widen(std::string_view text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow(std::wstring_view text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                        nullptr);
    return narrow;
}

struct Product {
    const char* Name;
    const char* Path;
};

const Product Products[] = {
    {"i686", QELT_TEST_PRODUCT_EXE_32},
    {"x86_64", QELT_TEST_PRODUCT_EXE_64},
};

std::ostream& operator<<(std::ostream& out, const Product& product)
{
    return out << product.Name << " " << product.Path;
}

// The project's version, "a.b.c.d", as four numbers.
std::vector<unsigned> ProjectVersion()
{
    std::vector<unsigned> fields;
    std::istringstream in(QELT_TEST_VERSION);
    std::string field;
    while (std::getline(in, field, '.'))
        fields.push_back(static_cast<unsigned>(std::stoul(field)));
    fields.resize(4, 0);
    return fields;
}

std::string Join(const std::vector<unsigned>& fields, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? "." : "") + std::to_string(fields[i]);
    return text;
}

class ResourcesTest : public ::testing::TestWithParam<Product> {
protected:
    void SetUp() override
    {
        FPath = Widen(GetParam().Path);
        FModule = LoadLibraryExW(FPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(FModule, nullptr) << "cannot load " << GetParam().Path << " (error " << GetLastError()
                                    << "); is it built?";
    }

    void TearDown() override
    {
        if (FModule)
            FreeLibrary(FModule);
    }

    // One resource's bytes; empty and a test failure when it is missing.
    std::string_view Resource(const wchar_t* type, const wchar_t* name)
    {
        HRSRC found = FindResourceW(FModule, name, type);
        if (!found) {
            ADD_FAILURE() << "resource missing";
            return {};
        }
        HGLOBAL loaded = LoadResource(FModule, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) {
            ADD_FAILURE() << "resource unreadable";
            return {};
        }
        return {static_cast<const char*>(bytes), SizeofResource(FModule, found)};
    }

    std::wstring FPath;
    HMODULE FModule = nullptr;
};

// ---------------------------------------------------------------------------
// The icon

#pragma pack(push, 2)
struct GroupIconDir {
    WORD Reserved;
    WORD Type;
    WORD Count;
};
struct GroupIconEntry {
    BYTE Width;
    BYTE Height;
    BYTE ColorCount;
    BYTE Reserved;
    WORD Planes;
    WORD BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

TEST_P(ResourcesTest, IconGroupHoldsThree32BitImagesWithAlpha)
{
    const std::string_view group = Resource(RT_GROUP_ICON, L"MAINICON");
    ASSERT_GE(group.size(), sizeof(GroupIconDir));
    GroupIconDir dir;
    std::memcpy(&dir, group.data(), sizeof dir);
    EXPECT_EQ(dir.Reserved, 0);
    EXPECT_EQ(dir.Type, 1) << "not an icon group";
    ASSERT_EQ(dir.Count, 3);
    ASSERT_EQ(group.size(), sizeof dir + dir.Count * sizeof(GroupIconEntry));

    const int sizes[] = {16, 32, 48};
    for (int i = 0; i < dir.Count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + sizeof dir + i * sizeof entry, sizeof entry);
        const int size = sizes[i];
        SCOPED_TRACE("image " + std::to_string(size) + "x" + std::to_string(size));
        EXPECT_EQ(entry.Width, size);
        EXPECT_EQ(entry.Height, size);
        EXPECT_EQ(entry.Planes, 1);
        EXPECT_EQ(entry.BitCount, 32);

        // The size Windows picks from the group for this many pixels is
        // this very image.
        EXPECT_EQ(LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(const_cast<char*>(group.data())), TRUE,
                                              size, size, LR_DEFAULTCOLOR),
                  entry.Id);

        const std::string_view image = Resource(RT_ICON, MAKEINTRESOURCEW(entry.Id));
        ASSERT_EQ(image.size(), entry.BytesInRes);
        BITMAPINFOHEADER header;
        ASSERT_GE(image.size(), sizeof header);
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "colour and mask";
        EXPECT_EQ(header.biBitCount, 32);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        const size_t colour = size_t(size) * size * 4;
        const size_t mask = size_t((size + 31) / 32 * 4) * size;
        ASSERT_EQ(image.size(), sizeof header + colour + mask);

        // An alpha channel that is really used: a shape on a clear ground,
        // not an opaque square nor the all-zero alpha of an old bitmap.
        int clear = 0, opaque = 0;
        for (size_t p = 0; p < size_t(size) * size; ++p) {
            const unsigned char alpha = static_cast<unsigned char>(image[sizeof header + 4 * p + 3]);
            clear += alpha == 0;
            opaque += alpha == 255;
        }
        EXPECT_GT(clear, 0);
        EXPECT_GT(opaque, size * size / 2);

        HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(image.data())),
                                              static_cast<DWORD>(image.size()), TRUE, 0x00030000, 0, 0,
                                              LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << "Windows cannot make an icon of it";
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap;
        ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof bitmap, &bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// ---------------------------------------------------------------------------
// The version block

class VersionTest : public ResourcesTest {
protected:
    void SetUp() override
    {
        ResourcesTest::SetUp();
        if (HasFatalFailure())
            return;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(FPath.c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version block (error " << GetLastError() << ")";
        FBlock.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(FPath.c_str(), 0, size, FBlock.data()));
    }

    std::vector<char> FBlock;
};

TEST_P(VersionTest, FixedPartCarriesTheProjectVersion)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(FBlock.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::vector<unsigned> v = ProjectVersion();
    const DWORD ms = MAKELONG(v[1], v[0]), ls = MAKELONG(v[3], v[2]);
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flags";
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_P(VersionTest, TranslationIsJapaneseCodePage932Only)
{
    struct Translation {
        WORD Language;
        WORD CodePage;
    }* translations = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(FBlock.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translations), &length));
    ASSERT_EQ(length, sizeof *translations);
    EXPECT_EQ(translations->Language, 0x0411);
    EXPECT_EQ(translations->CodePage, 932);
}

// One node of the version block: key, text value, children.
struct VersionNode {
    std::wstring Key;
    std::wstring Text;
    std::vector<VersionNode> Children;
};

// Walks the block's layout (length, value length, type, key, value,
// children; each on a 4-byte boundary) to see every entry, not just the ones
// asked for by name.
VersionNode ReadVersionNode(const char* base, size_t offset, size_t limit)
{
    auto word = [&](size_t at) {
        WORD w;
        std::memcpy(&w, base + at, sizeof w);
        return w;
    };
    auto align = [](size_t at) { return (at + 3) & ~size_t(3); };
    VersionNode node;
    const size_t end = offset + word(offset);
    if (end > limit || end < offset + 6)
        throw std::runtime_error("version node overruns its parent");
    const WORD valueLength = word(offset + 2);
    const WORD type = word(offset + 4);
    size_t at = offset + 6;
    while (at + 2 <= end && word(at) != 0) {
        node.Key += static_cast<wchar_t>(word(at));
        at += 2;
    }
    // Text values are counted in characters, binary ones in bytes.
    const size_t valueAt = align(at + 2);
    const size_t valueEnd = std::min(end, valueAt + (type == 1 ? 2 * size_t(valueLength) : valueLength));
    if (type == 1)
        for (size_t c = valueAt; c + 2 <= valueEnd && word(c) != 0; c += 2)
            node.Text += static_cast<wchar_t>(word(c));
    at = align(valueEnd);
    while (at < end) {
        node.Children.push_back(ReadVersionNode(base, at, end));
        at = align(at + word(at));
    }
    return node;
}

TEST_P(VersionTest, StringsAreExactlyTheProductsInOneJapaneseTable)
{
    const std::vector<unsigned> v = ProjectVersion();
    const std::map<std::string, std::string> expected = {
        {"CompanyName", ""},
        {"FileDescription", "Qelt"},
        {"FileVersion", Join(v, 4)},
        {"InternalName", "qelt"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "qelt.exe"},
        {"ProductName", "qelt"},
        {"ProductVersion", Join(v, 2)},
    };

    // Asked for by name, as Explorer does.
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(name);
        const std::wstring query = L"\\StringFileInfo\\041103A4\\" + Widen(name);
        wchar_t* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(FBlock.data(), query.c_str(), reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(Narrow(std::wstring(text, wcsnlen(text, length))), value);
    }

    // And nothing else: one table, holding those strings only.
    WORD rootLength;
    std::memcpy(&rootLength, FBlock.data(), sizeof rootLength);
    ASSERT_LE(rootLength, FBlock.size());
    const VersionNode root = ReadVersionNode(FBlock.data(), 0, rootLength);
    EXPECT_EQ(Narrow(root.Key), "VS_VERSION_INFO");
    std::vector<std::string> tables;
    std::map<std::string, std::string> strings;
    for (const VersionNode& info : root.Children)
        if (info.Key == L"StringFileInfo")
            for (const VersionNode& table : info.Children) {
                tables.push_back(Narrow(table.Key));
                for (const VersionNode& entry : table.Children)
                    strings[Narrow(entry.Key)] = Narrow(entry.Text);
            }
    EXPECT_EQ(tables, std::vector<std::string>{"041103A4"});
    EXPECT_EQ(strings, expected);
}

// ---------------------------------------------------------------------------
// The manifest

// Start tags of a small XML text, each with the names of its ancestors and
// its attributes. Enough for a manifest: no entities, no CDATA.
struct XmlElement {
    std::string Path;  // "assembly/dependency/..."; namespace prefixes dropped
    std::map<std::string, std::string> Attributes;
};

std::vector<XmlElement> ReadXmlElements(std::string_view xml)
{
    std::vector<XmlElement> elements;
    std::vector<std::string> open;
    auto local = [](std::string name) {
        const size_t colon = name.find(':');
        return colon == std::string::npos ? name : name.substr(colon + 1);
    };
    size_t at = 0;
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        if (xml.substr(at, 4) == "<!--") {
            at = xml.find("-->", at);
            if (at == std::string_view::npos)
                throw std::runtime_error("unclosed comment");
            continue;
        }
        const size_t close = xml.find('>', at);
        if (close == std::string_view::npos)
            throw std::runtime_error("unclosed tag");
        std::string_view tag = xml.substr(at + 1, close - at - 1);
        at = close + 1;
        if (tag.front() == '?')
            continue;
        if (tag.front() == '/') {
            const std::string name = local(std::string(tag.substr(1)));
            if (open.empty() || open.back() != name)
                throw std::runtime_error("mismatched </" + name + ">");
            open.pop_back();
            continue;
        }
        const bool empty = tag.back() == '/';
        if (empty)
            tag.remove_suffix(1);
        size_t p = tag.find_first_of(" \t\r\n");
        XmlElement element;
        const std::string name = local(std::string(tag.substr(0, p)));
        while (p != std::string_view::npos && (p = tag.find_first_not_of(" \t\r\n", p)) != std::string_view::npos) {
            const size_t eq = tag.find('=', p);
            if (eq == std::string_view::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"')
                throw std::runtime_error("malformed attribute in <" + name + ">");
            const size_t endQuote = tag.find('"', eq + 2);
            if (endQuote == std::string_view::npos)
                throw std::runtime_error("unclosed attribute in <" + name + ">");
            element.Attributes[std::string(tag.substr(p, eq - p))] = std::string(tag.substr(eq + 2, endQuote - eq - 2));
            p = endQuote + 1;
        }
        for (const std::string& ancestor : open)
            element.Path += ancestor + "/";
        element.Path += name;
        elements.push_back(element);
        if (!empty)
            open.push_back(name);
    }
    if (!open.empty())
        throw std::runtime_error("unclosed <" + open.back() + ">");
    return elements;
}

std::vector<XmlElement> Named(const std::vector<XmlElement>& elements, std::string_view path)
{
    std::vector<XmlElement> found;
    for (const XmlElement& element : elements)
        if (element.Path == path)
            found.push_back(element);
    return found;
}

TEST_P(ResourcesTest, ManifestAsksForCommonControls6AsInvokerAndNoDpiAwareness)
{
    const std::string_view manifest = Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_FALSE(manifest.empty());
    std::vector<XmlElement> elements;
    ASSERT_NO_THROW(elements = ReadXmlElements(manifest));

    const auto dependencies = Named(elements, "assembly/dependency/dependentAssembly/assemblyIdentity");
    ASSERT_EQ(dependencies.size(), 1u);
    EXPECT_EQ(dependencies[0].Attributes, (std::map<std::string, std::string>{
                                              {"type", "win32"},
                                              {"name", "Microsoft.Windows.Common-Controls"},
                                              {"version", "6.0.0.0"},
                                              {"processorArchitecture", "*"},
                                              {"publicKeyToken", "6595b64144ccf1df"},
                                              {"language", "*"},
                                          }));

    const auto levels =
        Named(elements, "assembly/trustInfo/security/requestedPrivileges/requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].Attributes,
              (std::map<std::string, std::string>{{"level", "asInvoker"}, {"uiAccess", "false"}}));

    std::set<std::string> systems;
    for (const XmlElement& os : Named(elements, "assembly/compatibility/application/supportedOS"))
        systems.insert(os.Attributes.at("Id"));
    EXPECT_EQ(systems, (std::set<std::string>{
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                       }));

    // The main form is drawn at its design size; declaring awareness would
    // leave it tiny on dense screens.
    for (const XmlElement& element : elements) {
        EXPECT_EQ(element.Path.find("dpiAware"), std::string::npos) << element.Path;
        EXPECT_EQ(element.Path.find("dpiAwareness"), std::string::npos) << element.Path;
    }

    // And the loader itself accepts it: an activation context made from it.
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = FPath.c_str();
    context.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    HANDLE made = CreateActCtxW(&context);
    EXPECT_NE(made, INVALID_HANDLE_VALUE) << "the loader rejects the manifest (error " << GetLastError() << ")";
    if (made != INVALID_HANDLE_VALUE)
        ReleaseActCtx(made);
}

// ---------------------------------------------------------------------------
// The main form's definition

TEST_P(ResourcesTest, MainFormDefinitionIsTheSourceFileAsIs)
{
    std::ifstream in(std::filesystem::path(Widen(QELT_TEST_FORM_SOURCE)), std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << QELT_TEST_FORM_SOURCE;
    const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string_view stored = Resource(RT_RCDATA, L"TFQELT");
    if (HasFailure())
        return;
    EXPECT_TRUE(stored == source) << "TFQELT (" << stored.size() << " bytes) differs from "
                                  << QELT_TEST_FORM_SOURCE << " (" << source.size() << " bytes); rebuild?";
    // The form looks itself up by its class name, whatever its case.
    EXPECT_NE(FindResourceW(FModule, L"TFQelt", RT_RCDATA), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Products, ResourcesTest, ::testing::ValuesIn(Products),
                         [](const auto& info) { return std::string(info.param.Name); });
INSTANTIATE_TEST_SUITE_P(Products, VersionTest, ::testing::ValuesIn(Products),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
