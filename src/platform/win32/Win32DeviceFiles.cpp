#include "platform/win32/Win32DeviceFiles.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <cstdlib>
#include <string>

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

DWORD Attributes(TextView path) { return GetFileAttributesW(ToWide(path).c_str()); }

class Win32PlainFile : public PlainFile {
 public:
  explicit Win32PlainFile(HANDLE file) : file_(file) {}
  ~Win32PlainFile() override { CloseHandle(file_); }
  bool Write(const void* data, std::size_t size) override {
    DWORD written = 0;
    return WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  }

 private:
  HANDLE file_;
};

// FDI hands paths around as char strings: they travel as UTF-8 and are opened as UTF-16.
std::string ToUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

std::wstring FromCodePage(const char* text, UINT codePage) {
  const int size = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, out.data(), size);
  out.resize(out.size() - 1);
  return out;
}

FNALLOC(CabAlloc) { return std::malloc(cb); }
FNFREE(CabFree) { std::free(pv); }

FNOPEN(CabOpen) {
  // FDI opens only the cabinet itself, for reading.
  HANDLE file = CreateFileW(FromCodePage(pszFile, CP_UTF8).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(file);
}

FNREAD(CabRead) {
  DWORD done = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNWRITE(CabWrite) {
  DWORD done = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNCLOSE(CabClose) { return CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1; }

FNSEEK(CabSeek) {
  const DWORD method = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
  return static_cast<LONG>(SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, method));
}

struct UnpackJob {
  std::wstring folder;
  bool failed = false;
};

FNFDINOTIFY(CabNotify) {
  auto* job = static_cast<UnpackJob*>(pfdin->pv);
  switch (fdint) {
    case fdintCOPY_FILE: {
      std::wstring name = FromCodePage(pfdin->psz1, (pfdin->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP);
      // Every file goes straight into the folder: a path inside the cabinet cannot lead out of it.
      const std::size_t separator = name.find_last_of(L"\\/");
      if (separator != std::wstring::npos) name.erase(0, separator + 1);
      if (name.empty() || name == L"." || name == L"..") return 0;
      HANDLE file = CreateFileW((job->folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        job->failed = true;
        return -1;
      }
      return reinterpret_cast<INT_PTR>(file);
    }
    case fdintCLOSE_FILE_INFO:
      CloseHandle(reinterpret_cast<HANDLE>(pfdin->hf));
      return TRUE;
    default:
      return 0;
  }
}

}  // namespace

bool Win32DeviceFiles::IsRemovableDrive(TextView root) { return GetDriveTypeW(ToWide(root).c_str()) == DRIVE_REMOVABLE; }

bool Win32DeviceFiles::FileExists(TextView path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32DeviceFiles::FolderExists(TextView path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32DeviceFiles::RemoveFile(TextView path) { return DeleteFileW(ToWide(path).c_str()) != 0; }

bool Win32DeviceFiles::CreateFolder(TextView path) { return CreateDirectoryW(ToWide(path).c_str(), nullptr) != 0; }

bool Win32DeviceFiles::StampWithNow(TextView path) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const bool ok = SetFileTime(file, &now, &now, &now) != 0;
  CloseHandle(file);
  return ok;
}

std::unique_ptr<PlainFile> Win32DeviceFiles::CreatePlainFile(TextView path) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32PlainFile>(file);
}

bool Win32DeviceFiles::UnpackCabinet(TextView cabinet, TextView folder) {
  ERF error{};
  HFDI context = FDICreate(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek, cpuUNKNOWN, &error);
  if (!context) return false;
  UnpackJob job;
  job.folder = ToWide(folder);
  // FDICopy joins the cabinet's folder and name again before opening it.
  const std::wstring path = ToWide(cabinet);
  const std::size_t separator = path.find_last_of(L"\\/");
  std::string name = ToUtf8(separator == std::wstring::npos ? path : path.substr(separator + 1));
  std::string where = ToUtf8(separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1));
  const bool copied = FDICopy(context, name.data(), where.data(), 0, CabNotify, nullptr, &job) != 0;
  FDIDestroy(context);
  return copied && !job.failed;
}

}  // namespace wayloom
