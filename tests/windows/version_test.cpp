// Reads the resources back from a built hueclip.exe: the version resource, the icon, the hand
// cursor and the manifest. Usage: version_test <path to hueclip.exe>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "check.h"

using wintest::Check;

namespace {

std::wstring Widen(const char* s) { return std::wstring(s, s + std::strlen(s)); }

std::string Narrow(const wchar_t* s) {
  std::string out;
  for (; *s; ++s) out += *s < 128 ? static_cast<char>(*s) : '?';
  return out;
}

void CheckVersion(const std::wstring& exe) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  if (!Check(size > 0, "version resource present")) return;
  std::vector<unsigned char> data(size);
  if (!Check(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()) != FALSE,
             "version resource readable"))
    return;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (Check(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) &&
                len >= sizeof(VS_FIXEDFILEINFO),
            "fixed file info present")) {
    Check(fixed->dwFileVersionMS == 0x00010001 && fixed->dwFileVersionLS == 0,
          "file version 1.1.0.0");
    Check(fixed->dwProductVersionMS == 0x00010001 && fixed->dwProductVersionLS == 0,
          "product version 1.1.0.0");
    Check(fixed->dwFileType == VFT_APP, "file type is an application");
  }

  WORD* translation = nullptr;
  if (Check(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                           reinterpret_cast<void**>(&translation), &len) &&
                len >= 4,
            "translation present"))
    Check(translation[0] == 0x0409 && translation[1] == 1200, "translation 0x409, 1200");

  struct Expected {
    const char* key;
    const char* value;
  };
  const char* description = "Gets the colour details for a pixel selected by mouse cursor";
  const Expected strings[] = {
      {"ProductName", "Hueclip"}, {"InternalName", "Hueclip"}, {"OriginalFilename", "Hueclip.exe"},
      {"FileVersion", "1.01"},    {"ProductVersion", "1.01"},  {"FileDescription", description},
      {"Comments", description},
  };
  auto query = [&](const char* key, std::string& out) {
    const std::wstring path = L"\\StringFileInfo\\040904B0\\" + Widen(key);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &len) ||
        !value)
      return false;
    out = Narrow(value);
    return true;
  };
  for (const Expected& e : strings) {
    std::string got;
    const bool found = query(e.key, got);
    Check(found && got == e.value, std::string("string ") + e.key,
          found ? "\"" + got + "\"" : "missing");
  }
  std::string company;
  const bool found = query("CompanyName", company);
  Check(found && company.rfind("https://", 0) == 0 && company.size() > 8,
        "string CompanyName is the maker's web address", found ? company : "missing");
}

struct Resource {
  const unsigned char* data = nullptr;
  DWORD size = 0;
};

Resource Load(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(module, found)};
}

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) {
  *reinterpret_cast<LPWSTR*>(out) = name;  // ids only here, so no copy needed
  return FALSE;
}

// One entry of an icon group (GRPICONDIRENTRY), read field by field: it is packed to 2 bytes.
struct GroupEntry {
  int width, height, bitCount;
  DWORD bytes;
  WORD id;
};

GroupEntry ReadEntry(const unsigned char* p) {
  WORD bitCount, id;
  DWORD bytes;
  std::memcpy(&bitCount, p + 6, 2);
  std::memcpy(&bytes, p + 8, 4);
  std::memcpy(&id, p + 12, 2);
  return {p[0], p[1], bitCount, bytes, id};
}

void CheckIconAndCursor(const std::wstring& exe) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!Check(module != nullptr, "exe loads as a resource module")) return;

  LPWSTR first = nullptr;
  EnumResourceNamesW(module, RT_GROUP_ICON, &FirstName, reinterpret_cast<LONG_PTR>(&first));
  const Resource group = first ? Load(module, RT_GROUP_ICON, first) : Resource{};
  if (Check(group.size >= 6 + 14, "icon group present")) {
    const WORD count = *reinterpret_cast<const WORD*>(group.data + 4);
    Check(count == 1, "the icon has one image", std::to_string(count));
    const GroupEntry e = ReadEntry(group.data + 6);
    Check(e.width == 32 && e.height == 32 && e.bitCount == 24,
          "the icon image is 32 x 32, 24 bits per pixel");
    Check(e.bytes == 3240, "the icon image holds 3240 bytes", std::to_string(e.bytes));
    const Resource image = Load(module, RT_ICON, MAKEINTRESOURCEW(e.id));
    BITMAPINFOHEADER h{};
    if (image.size >= sizeof h) std::memcpy(&h, image.data, sizeof h);
    Check(image.size == 3240 && h.biSize == 40 && h.biWidth == 32 && h.biHeight == 64 &&
              h.biBitCount == 24,
          "the icon image is a 24-bit bitmap with an AND mask");
  }

  const Resource cursorGroup = Load(module, RT_GROUP_CURSOR, MAKEINTRESOURCEW(101));
  if (Check(cursorGroup.size >= 6 + 14, "hand cursor group present")) {
    const WORD id = ReadEntry(cursorGroup.data + 6).id;
    const Resource cursor = Load(module, RT_CURSOR, MAKEINTRESOURCEW(id));
    // A cursor resource starts with its hot spot, then the bitmap.
    if (Check(cursor.size >= 4 + 40, "hand cursor image present")) {
      const WORD* hot = reinterpret_cast<const WORD*>(cursor.data);
      Check(hot[0] == 4 && hot[1] == 0, "hand cursor hot spot (4, 0)",
            std::to_string(hot[0]) + ", " + std::to_string(hot[1]));
      BITMAPINFOHEADER h{};
      std::memcpy(&h, cursor.data + 4, sizeof h);
      Check(h.biWidth == 32 && h.biHeight == 64 && h.biBitCount == 4,
            "hand cursor is 32 x 32 in 16 colours");
    }
  }

  const Resource manifest = Load(module, RT_MANIFEST, MAKEINTRESOURCEW(1));
  const std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
  Check(text.find("<dpiAwareness") != std::string::npos &&
            text.find("PerMonitorV2") != std::string::npos &&
            text.find("true/pm") != std::string::npos,
        "manifest asks for per-monitor V2 DPI awareness");
  Check(text.find("Microsoft.Windows.Common-Controls") != std::string::npos,
        "manifest depends on Common Controls 6");
  Check(text.find("asInvoker") != std::string::npos, "manifest runs as invoker");
  FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: version_test <hueclip.exe>\n");
    return 2;
  }
  const std::wstring exe = Widen(argv[1]);
  CheckVersion(exe);
  CheckIconAndCursor(exe);
  return wintest::Finish();
}
