// The Windows side of the machine identity: Md5File against md5sum, and
// the MAC determination on this (Wine) system.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <set>
#include <vector>

#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

// the build wrote files around the 64 KiB piece and a 32 MiB one, and
// what md5sum says of each (make_md5_files.py)
TEST(Md5File, AgreesWithMd5sumAroundThePieceSizeAndForALargeFile) {
  const std::string dir = ORVANE_MD5_FILES;
  const std::string list = test::ReadFileBytes(test::HostPath(dir + "/md5sum.txt"));
  size_t checked = 0;
  for (size_t at = 0, nl; (nl = list.find('\n', at)) != std::string::npos; at = nl + 1) {
    const std::string line = list.substr(at, nl - at);  // "<digest>  <name>"
    ASSERT_GT(line.size(), 34u) << line;
    const std::string digest = line.substr(0, 32), name = line.substr(34);
    EXPECT_EQ(Md5File(test::HostPath(dir + "/" + name)), digest) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 11u);
}

TEST(Md5File, MissingOrEmptyFileGivesNothing) {
  test::ScratchDir dir;
  EXPECT_EQ(Md5File(dir.File(L"missing.bin")), "");
  test::WriteFileBytes(dir.File(L"empty.bin"), "");
  EXPECT_EQ(Md5File(dir.File(L"empty.bin")), "");
}

// what the system itself lists, asked here without the product's code: the
// adapters' configured addresses, and whether any NDIS LAN device exists
struct SystemAdapters {
  std::set<std::string> addresses;  // "%02X-..." of every non-zero address
  bool anyDevice = false;
};

SystemAdapters AskTheSystem() {
  SystemAdapters out;
  ULONG size = 0;
  if (::GetAdaptersInfo(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size > 0) {
    std::vector<unsigned char> buf(size);
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buf.data());
    if (::GetAdaptersInfo(list, &size) == NO_ERROR) {
      for (IP_ADAPTER_INFO* a = list; a; a = a->Next) {
        if (a->AddressLength != 6) continue;
        char text[18];
        std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", a->Address[0],
                      a->Address[1], a->Address[2], a->Address[3], a->Address[4], a->Address[5]);
        if (std::string(text) != "00-00-00-00-00-00") out.addresses.insert(text);
      }
    }
  }
  // {AD498944-762F-11D0-8DCB-00C04FC3358C}, the NDIS LAN device interface class
  const GUID ndisLan = {
      0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
  HDEVINFO devices =
      ::SetupDiGetClassDevsW(&ndisLan, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (devices != INVALID_HANDLE_VALUE) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    out.anyDevice = ::SetupDiEnumDeviceInterfaces(devices, nullptr, &ndisLan, 0, &data) != FALSE;
    ::SetupDiDestroyDeviceInfoList(devices);
  }
  return out;
}

// The answer against what the system lists: no address where the system
// lists none; otherwise one of the listed ones (or, with NDIS devices, a
// well-formed permanent address), and the same on every call.
TEST(MacAddress, TheSystemAnswerIsWellFormedAndStable) {
  const std::string mac = GetMacAddress();
  const SystemAdapters system = AskTheSystem();
  std::cout << "MAC address here: \"" << mac << "\"; the system lists " << system.addresses.size()
            << " adapter address(es)" << (system.anyDevice ? " and NDIS devices" : "") << "\n";
  if (system.addresses.empty() && !system.anyDevice) {
    EXPECT_EQ(mac, "");
  } else {
    ASSERT_EQ(mac.size(), 17u);
    for (size_t i = 0; i < mac.size(); ++i) {
      if (i % 3 == 2) {
        EXPECT_EQ(mac[i], '-');
      } else {
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(mac[i])) &&
                    !std::islower(static_cast<unsigned char>(mac[i])));
      }
    }
    EXPECT_NE(mac, "00-00-00-00-00-00");
    if (!system.anyDevice) EXPECT_EQ(system.addresses.count(mac), 1u) << mac;
  }
  EXPECT_EQ(GetMacAddress(), mac);
}

}  // namespace
}  // namespace orvane
