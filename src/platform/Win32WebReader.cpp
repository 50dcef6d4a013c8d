#include "Win32WebReader.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winhttp.h>

#include <algorithm>
#include <climits>
#include <type_traits>
#include <utility>

#include "Scoped.h"
#include "Win32Detached.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

// The functions of winhttp.dll that a request uses.
struct WinHttp {
  DWORD loadError = ERROR_SUCCESS;
  decltype(&::WinHttpOpen) open = nullptr;
  decltype(&::WinHttpCrackUrl) crackUrl = nullptr;
  decltype(&::WinHttpSetTimeouts) setTimeouts = nullptr;
  decltype(&::WinHttpConnect) connect = nullptr;
  decltype(&::WinHttpOpenRequest) openRequest = nullptr;
  decltype(&::WinHttpSetOption) setOption = nullptr;
  decltype(&::WinHttpSendRequest) sendRequest = nullptr;
  decltype(&::WinHttpReceiveResponse) receiveResponse = nullptr;
  decltype(&::WinHttpQueryHeaders) queryHeaders = nullptr;
  decltype(&::WinHttpReadData) readData = nullptr;
  ScopedWinHttp::Close close = nullptr;

  WinHttp() {
    // From the system folder only, never imported: it is no KnownDLL. It stays loaded for good,
    // since a request abandoned at its bound may still be running in it.
    const HMODULE dll = ::LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (dll == nullptr) {
      loadError = ::GetLastError();
      return;
    }
    bool complete = true;
    const auto find = [&](auto& function, const char* name) {
      function = FindFunction<std::remove_reference_t<decltype(function)>>(dll, name);
      complete = complete && function != nullptr;
    };
    find(open, "WinHttpOpen");
    find(crackUrl, "WinHttpCrackUrl");
    find(setTimeouts, "WinHttpSetTimeouts");
    find(connect, "WinHttpConnect");
    find(openRequest, "WinHttpOpenRequest");
    find(setOption, "WinHttpSetOption");
    find(sendRequest, "WinHttpSendRequest");
    find(receiveResponse, "WinHttpReceiveResponse");
    find(queryHeaders, "WinHttpQueryHeaders");
    find(readData, "WinHttpReadData");
    find(close, "WinHttpCloseHandle");
    if (!complete) loadError = ERROR_PROC_NOT_FOUND;
  }
};

FetchAnswer Failure(DWORD error) {
  FetchOutcome outcome = FetchOutcome::Failed;
  switch (error) {
    // The server's certificate, or the secure channel that it would be checked in.
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      outcome = FetchOutcome::CertificateError;
      break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR:
      outcome = FetchOutcome::CannotConnect;
      break;
    case ERROR_WINHTTP_TIMEOUT:
      outcome = FetchOutcome::TimedOut;
      break;
    default:
      break;
  }
  FetchAnswer answer;
  answer.outcome = outcome;
  answer.error = error;
  return answer;
}

// A header of the response as text, or nothing where it has none. WinHTTP holds the headers to
// 64 KiB.
std::string Header(const WinHttp& winHttp, HINTERNET request, DWORD which) {
  DWORD size = 0;
  winHttp.queryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                       &size, WINHTTP_NO_HEADER_INDEX);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!winHttp.queryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                            WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(size / sizeof(wchar_t));
  return Narrow(text);
}

bool IsWebAddress(const std::string& url) {
  return std::all_of(url.begin(), url.end(), [](char c) { return c > ' ' && c < 0x7F; }) &&
         (url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0);
}

FetchAnswer Fetch(const std::wstring& userAgent, const std::string& address,
                  std::size_t maxBodyBytes, std::uint64_t boundMs, ULONGLONG start) {
  // Nothing else is asked for, whatever WinHTTP would make of it.
  if (!IsWebAddress(address)) return {};
  const std::wstring url = Widen(address);
  // Loaded once, at the first request.
  static const WinHttp winHttp;
  if (winHttp.loadError != ERROR_SUCCESS) return Failure(winHttp.loadError);

  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = ~DWORD{0};
  if (!winHttp.crackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    return Failure(::GetLastError());
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  // The query follows the path in the URL; a fragment is the browser's, never sent.
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
  path.resize(std::min(path.size(), path.find(L'#')));
  if (path.empty()) path = L"/";

  // The system's proxy settings: Windows 8.1 and later find them as a browser does; earlier
  // ones know only the configured proxy.
  HINTERNET opened = winHttp.open(userAgent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (opened == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    opened = winHttp.open(userAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                          WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  }
  const ScopedWinHttp session(winHttp.close, opened);
  if (session.Get() == nullptr) return Failure(::GetLastError());
  // 0 would be no time limit at all to WinHTTP.
  const int timeout = static_cast<int>(std::clamp<std::uint64_t>(boundMs, 1, INT_MAX));
  if (!winHttp.setTimeouts(session.Get(), timeout, timeout, timeout, timeout)) {
    return Failure(::GetLastError());
  }
  const ScopedWinHttp connection(winHttp.close,
                                 winHttp.connect(session.Get(), host.c_str(), parts.nPort, 0));
  if (connection.Get() == nullptr) return Failure(::GetLastError());
  const ScopedWinHttp request(
      winHttp.close,
      winHttp.openRequest(connection.Get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                          WINHTTP_DEFAULT_ACCEPT_TYPES,
                          parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (request.Get() == nullptr) return Failure(::GetLastError());
  // Each hop is the caller's to judge; the page is read as a stranger reads it, without the
  // user's cookies or logon. No flag ever lets a certificate error pass.
  DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES |
                   WINHTTP_DISABLE_AUTHENTICATION | WINHTTP_DISABLE_KEEP_ALIVE;
  DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
  if (!winHttp.setOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled,
                         sizeof disabled) ||
      !winHttp.setOption(request.Get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof logon) ||
      !winHttp.sendRequest(request.Get(), L"Accept: text/html,*/*;q=0.8\r\n", ~DWORD{0},
                           WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !winHttp.receiveResponse(request.Get(), nullptr)) {
    return Failure(::GetLastError());
  }

  FetchAnswer answer;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!winHttp.queryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                            WINHTTP_NO_HEADER_INDEX)) {
    return Failure(::GetLastError());
  }
  answer.outcome = FetchOutcome::Response;
  answer.status = status;
  answer.location = Header(winHttp, request.Get(), WINHTTP_QUERY_LOCATION);
  answer.contentType = Header(winHttp, request.Get(), WINHTTP_QUERY_CONTENT_TYPE);
  // A server that sends forever, or a byte at a time, is left at the bound; the rest of a body
  // over the bound is never read.
  while (answer.body.size() < maxBodyBytes) {
    if (::GetTickCount64() - start >= boundMs) return Failure(ERROR_WINHTTP_TIMEOUT);
    const std::size_t had = answer.body.size();
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(maxBodyBytes - had, 1 << 16));
    answer.body.resize(had + wanted);
    DWORD got = 0;
    if (!winHttp.readData(request.Get(), answer.body.data() + had, wanted, &got)) {
      return Failure(::GetLastError());
    }
    answer.body.resize(had + got);
    if (got == 0) break;
  }
  return answer;
}

}  // namespace

Win32WebReader::Win32WebReader(const std::string& userAgent) : userAgent_(Widen(userAgent)) {}

std::unique_ptr<WebFetch> Win32WebReader::StartFetch(const std::string& url,
                                                     std::size_t maxBodyBytes,
                                                     std::uint64_t boundMs) {
  const ULONGLONG start = ::GetTickCount64();
  // WinHTTP's own time limits are for each step; the bound is for the whole request.
  return std::make_unique<Detached<WebFetch, FetchAnswer>>(
      [userAgent = userAgent_, url, maxBodyBytes, boundMs, start] {
        return Fetch(userAgent, url, maxBodyBytes, boundMs, start);
      },
      boundMs, FetchAnswer{}, Failure(ERROR_WINHTTP_TIMEOUT));
}

}  // namespace veltrim::platform
