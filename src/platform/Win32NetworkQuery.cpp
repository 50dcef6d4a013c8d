#include "Win32NetworkQuery.h"

#include <windows.h>
// After windows.h, which it needs.
#include <windns.h>

#include <vector>

#include "Scoped.h"
#include "Win32NameLookUp.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

using DnsQueryW = DNS_STATUS(WINAPI*)(PCWSTR, WORD, DWORD, PVOID, DNS_RECORDW**, PVOID*);

// The server's answer to one question: no such name, no record of the type, or what it has.
bool AnswersNoAddress(DNS_STATUS status) {
  return status == DNS_ERROR_RCODE_NAME_ERROR || status == DNS_INFO_NO_RECORDS;
}

LookUpAnswer Query(const std::wstring& host) {
  // Loaded from the system folder only, never imported: it is no KnownDLL.
  const ScopedLibrary dnsapi(
      ::LoadLibraryExW(L"dnsapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!dnsapi.IsSet()) return {};
  const auto query = FindFunction<DnsQueryW>(dnsapi.Get(), "DnsQuery_W");
  const auto freeRecords = FindFunction<ScopedDnsRecords::Free>(dnsapi.Get(), "DnsFree");
  if (query == nullptr || freeRecords == nullptr) return {};

  LookUpAnswer answer{LookUpOutcome::NoSuchName, {}};
  for (const WORD type : {WORD{DNS_TYPE_A}, WORD{DNS_TYPE_AAAA}}) {
    ScopedDnsRecords records(freeRecords);
    // "Network only, bypassing local information": the cache, the host files and local names
    // in one flag, where BYPASS_CACHE | NO_HOSTS_FILE would still leave the local names.
    const DNS_STATUS status =
        query(host.c_str(), type, DNS_QUERY_WIRE_ONLY, nullptr, records.Out(), nullptr);
    if (status != ERROR_SUCCESS) {
      if (!AnswersNoAddress(status)) answer.outcome = LookUpOutcome::CannotAnswerNow;
      continue;
    }
    // The records of a CNAME chain come along, under their own names.
    for (const DNS_RECORDW* record = records.Get(); record != nullptr; record = record->pNext) {
      // What a server adds beyond its answer is no answer for this name.
      if (record->Flags.S.Section != DnsSectionAnswer) continue;
      std::optional<IpAddress> address;
      if (record->wType == DNS_TYPE_A && record->wDataLength >= sizeof record->Data.A) {
        address = IpAddressOfBytes(&record->Data.A.IpAddress, sizeof record->Data.A.IpAddress);
      } else if (record->wType == DNS_TYPE_AAAA &&
                 record->wDataLength >= sizeof record->Data.AAAA) {
        address =
            IpAddressOfBytes(&record->Data.AAAA.Ip6Address, sizeof record->Data.AAAA.Ip6Address);
      }
      if (address) AddOnce(answer.addresses, *address);
    }
  }
  if (!answer.addresses.empty()) answer.outcome = LookUpOutcome::Addresses;
  return answer;
}

}  // namespace

std::unique_ptr<NameLookUp> StartWin32NetworkQuery(const std::string& host) {
  return StartDetachedLookUp([host = Widen(host)] { return Query(host); }, kNetworkQueryMs);
}

}  // namespace veltrim::platform
