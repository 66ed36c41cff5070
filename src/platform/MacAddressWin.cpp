// The Windows sources of the MAC determination: SetupAPI devices of the
// NDIS LAN interface class asked for their permanent address, the
// configured addresses of GetAdaptersInfo with their bus class from the
// registry, and the hypervisor probe (CPUID leaf 0x40000000 and the
// firmware's names in the registry).
#include <windows.h>
#include <winioctl.h>
#include <winsock2.h>

#include <cpuid.h>
#include <iphlpapi.h>
#include <ntddndis.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

#include "platform/Handles.h"
#include "platform/MacAddress.h"
#include "platform/Registry.h"
#include "platform/StringConv.h"

namespace orvane {

namespace {

// {AD498944-762F-11D0-8DCB-00C04FC3358C}, the NDIS LAN device interface class
const GUID kNdisLanClass = {0xAD498944,
                            0x762F,
                            0x11D0,
                            {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
constexpr DWORD kMostMembers = 255;

struct DeviceInfoSetTraits {
  using Type = HDEVINFO;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoSet = HandleT<DeviceInfoSetTraits>;

std::optional<MacBytes> QueryAddress(HANDLE device, ULONG oid) {
  unsigned char out[260] = {};
  DWORD got = 0;
  if (!::DeviceIoControl(device, IOCTL_NDIS_QUERY_GLOBAL_STATS, &oid, sizeof(oid), out, sizeof(out),
                         &got, nullptr) ||
      got < 6) {
    return std::nullopt;
  }
  MacBytes mac;
  std::memcpy(mac.data(), out, 6);
  return mac;
}

std::wstring InterfacePath(HDEVINFO set, DWORD index) {
  SP_DEVICE_INTERFACE_DATA itf{};
  itf.cbSize = sizeof(itf);
  if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &kNdisLanClass, index, &itf)) return {};
  DWORD size = 0;
  ::SetupDiGetDeviceInterfaceDetailW(set, &itf, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
  std::vector<unsigned char> buf(size);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buf.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!::SetupDiGetDeviceInterfaceDetailW(set, &itf, detail, size, nullptr, nullptr)) return {};
  return detail->DevicePath;
}

class WinMachineAdapters : public IMachineAdapters {
 public:
  HypervisorFacts Hypervisor() override {
    HypervisorFacts f;
    unsigned a = 0, b = 0, c = 0, d = 0;
    // leaf 1, ECX bit 31: a hypervisor is present
    if (__get_cpuid(1, &a, &b, &c, &d) && (c & (1u << 31))) {
      __cpuid(0x40000000, a, b, c, d);
      char vendor[13] = {};
      std::memcpy(vendor, &b, 4);
      std::memcpy(vendor + 4, &c, 4);
      std::memcpy(vendor + 8, &d, 4);
      f.cpuidVendor = vendor;
    }
    const wchar_t kBios[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";
    f.biosManufacturer =
        WideToUtf8(ReadRegistryString(HKEY_LOCAL_MACHINE, kBios, L"SystemManufacturer", false));
    f.biosProduct =
        WideToUtf8(ReadRegistryString(HKEY_LOCAL_MACHINE, kBios, L"SystemProductName", false));
    return f;
  }

  std::vector<DeviceFacts> Devices() override {
    std::vector<DeviceFacts> out;
    DeviceInfoSet set(::SetupDiGetClassDevsW(&kNdisLanClass, nullptr, nullptr,
                                             DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return out;
    for (DWORD i = 0; i < kMostMembers; ++i) {
      SP_DEVINFO_DATA dev{};
      dev.cbSize = sizeof(dev);
      if (!::SetupDiEnumDeviceInfo(set.get(), i, &dev)) break;
      DeviceFacts f;
      wchar_t paths[260] = {};  // 520 bytes
      DWORD type = 0;
      f.hasLocationPaths = ::SetupDiGetDeviceRegistryPropertyW(
                               set.get(), &dev, SPDRP_LOCATION_PATHS, &type,
                               reinterpret_cast<BYTE*>(paths), sizeof(paths), nullptr) &&
                           paths[0] != L'\0';
      wchar_t id[260] = {};
      if (::SetupDiGetDeviceInstanceIdW(set.get(), &dev, id, 260, nullptr))
        f.instanceId = WideToUtf8(id);
      if (f.hasLocationPaths && f.instanceId.size() >= 3) {
        std::wstring path = InterfacePath(set.get(), i);
        UniqueHandle device;
        if (!path.empty()) {
          device.reset(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        }
        if (device) {
          f.permanent = QueryAddress(device.get(), OID_802_3_PERMANENT_ADDRESS);
          if (!f.permanent || IsZeroMac(*f.permanent))
            f.current = QueryAddress(device.get(), OID_802_3_CURRENT_ADDRESS);
        }
      }
      out.push_back(std::move(f));
    }
    return out;
  }

  std::vector<AdapterFacts> Adapters() override {
    std::vector<AdapterFacts> out;
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return out;
    std::vector<unsigned char> buf(size);
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buf.data());
    if (::GetAdaptersInfo(list, &size) != NO_ERROR) return out;
    for (IP_ADAPTER_INFO* a = list; a; a = a->Next) {
      AdapterFacts f;
      f.ethernet = a->Type == MIB_IF_TYPE_ETHERNET;
      std::memcpy(f.address.data(), a->Address, 6);
      ReadPnpInstanceId(a->AdapterName, &f);
      out.push_back(std::move(f));
    }
    return out;
  }

 private:
  static void ReadPnpInstanceId(const char* adapterName, AdapterFacts* f) {
    std::wstring key =
        L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
        AnsiToWide(adapterName) + L"\\Connection";
    RegKey k;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, k.receive()) !=
        ERROR_SUCCESS) {
      return;
    }
    wchar_t value[260] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(k.get(), L"PnpInstanceID", nullptr, &type,
                           reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS) {
      return;
    }
    f->pnpInstanceId = WideToUtf8(value);
    f->pnpValueBytes = bytes;
  }
};

}  // namespace

std::string GetMacAddress() {
  // determined once per process; a function-local static also keeps two
  // first callers on different threads from racing
  static const std::string mac = [] {
    WinMachineAdapters machine;
    return DetermineMacAddress(machine);
  }();
  return mac;
}

}  // namespace orvane
