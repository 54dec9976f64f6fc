// The version resources of the three binaries, read as the options sheet reads them:
// the first translation names the string block with the copyright and product version;
// and the program's manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ProductInfo.h"

namespace {

struct VersionText {
    bool found = false;
    std::string productVersion;
    std::string copyright;
    std::string fileVersion;
    VS_FIXEDFILEINFO fixed{};
};

std::string BesideTheTests(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

VersionText ReadVersion(const std::string& file) {
    VersionText text;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return text;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return text;

    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        return text;
    }
    auto query = [&](const char* name) {
        char key[64];
        std::snprintf(key, sizeof(key), "\\StringFileInfo\\%08lx\\%s",
                      static_cast<unsigned long>(translation[0]) * 65536 + translation[1], name);
        char* value = nullptr;
        UINT valueLength = 0;
        if (!VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &valueLength)) {
            return std::string("(missing)");
        }
        return std::string(value);
    };
    text.found = true;
    text.productVersion = query("ProductVersion");
    text.copyright = query("LegalCopyright");
    text.fileVersion = query("FileVersion");
    VS_FIXEDFILEINFO* fixed = nullptr;
    if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) {
        text.fixed = *fixed;
    }
    return text;
}

TEST(VersionResources, ProgramAndCoreAre2_03) {
    for (const char* name : {"Harrowgladeforte.exe", "Harrowgladeforte Core.dll"}) {
        SCOPED_TRACE(name);
        const VersionText version = ReadVersion(BesideTheTests(name));
        ASSERT_TRUE(version.found);
        EXPECT_EQ(version.productVersion, "2.03");
        EXPECT_EQ(version.fileVersion, "2.03.2003.0620");
        EXPECT_EQ(version.copyright, HGF_LEGAL_NOTICE);
        EXPECT_EQ(version.fixed.dwFileVersionMS, MAKELONG(3, 2));
        EXPECT_EQ(version.fixed.dwFileVersionLS, MAKELONG(620, 2003));
    }
}

TEST(VersionResources, SynthesizerIs0_75) {
    const VersionText version = ReadVersion(BesideTheTests("tonwerkel.dll"));
    ASSERT_TRUE(version.found);
    EXPECT_EQ(version.productVersion, "0.75");
    EXPECT_EQ(version.copyright, HGF_LEGAL_NOTICE);
    EXPECT_EQ(version.fixed.dwFileVersionMS, MAKELONG(75, 0));
}

// The program runs with the rights of the user who starts it and is known to support
// Windows 7 to 11; it declares nothing that changes how its windows look (visual styles,
// DPI awareness) or how it reads text (a code page of its own).
TEST(VersionResources, ProgramManifest) {
    HMODULE program = LoadLibraryExA(BesideTheTests("Harrowgladeforte.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    HRSRC resource = FindResourceA(program, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, resource)));
    const std::string manifest(bytes, SizeofResource(program, resource));
    FreeLibrary(program);

    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    for (const char* windows : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",     // 7
                                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",     // 8
                                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",     // 8.1
                                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10 and 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + windows + "\"/>"),
                  std::string::npos)
            << windows;
    }
    for (const char* undeclared : {"Common-Controls", "dpiAware", "activeCodePage", "gdiScaling"}) {
        EXPECT_EQ(manifest.find(undeclared), std::string::npos) << undeclared;
    }
}

}  // namespace
