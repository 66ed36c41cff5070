// The machine's MAC address: the address of its primary physical network
// adapter, by a fixed preference (PCI before ISA, USB and all others; the
// hardware's permanent address before the configured one). Its MD5 is the
// "cam" value sent to the vendor.
//
// The choice is platform-free and works on facts that IMachineAdapters
// hands over; the Windows sources (SetupAPI with the NDIS query,
// GetAdaptersInfo with the registry's bus class, the hypervisor probe) sit
// behind that interface in MacAddressWin.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

enum BusClass : int32_t { kBusPci = 1, kBusIsa = 2, kBusUsb = 3, kBusOther = 4 };

struct AdapterCandidate {
  std::string macText;  // "%02X-%02X-%02X-%02X-%02X-%02X"
  int32_t busClass = kBusOther;
  bool operator==(const AdapterCandidate& o) const {
    return macText == o.macText && busClass == o.busClass;
  }
};

using MacBytes = std::array<uint8_t, 6>;

// one member of the NDIS LAN device interface class, as the system
// described it
struct DeviceFacts {
  bool hasLocationPaths = false;      // a non-empty SPDRP_LOCATION_PATHS
  std::string instanceId;             // device instance id, UTF-8
  std::optional<MacBytes> permanent;  // OID_802_3_PERMANENT_ADDRESS, when the query worked
  std::optional<MacBytes> current;    // OID_802_3_CURRENT_ADDRESS, when the query worked
};

// one entry of GetAdaptersInfo with its registry bus class source
struct AdapterFacts {
  bool ethernet = false;  // MIB_IF_TYPE_ETHERNET
  MacBytes address{};
  // the "PnpInstanceID" value: its size in bytes as stored and its text;
  // nullopt when the key or value cannot be read
  std::optional<std::string> pnpInstanceId;
  size_t pnpValueBytes = 0;
};

// what the environment probe sees
struct HypervisorFacts {
  std::string cpuidVendor;  // leaf 0x40000000 signature, empty without a hypervisor bit
  std::string biosManufacturer;
  std::string biosProduct;
};

// the outside facts of the MAC determination
class IMachineAdapters {
 public:
  virtual ~IMachineAdapters() = default;
  virtual HypervisorFacts Hypervisor() = 0;
  virtual std::vector<DeviceFacts> Devices() = 0;
  virtual std::vector<AdapterFacts> Adapters() = 0;
};

std::string FormatMac(const MacBytes& bytes);
bool IsZeroMac(const MacBytes& bytes);

// VMware or VirtualBox, the two desktop hypervisors the probe knows
bool IsDesktopHypervisor(const HypervisorFacts& facts);

// the rules that turn one device or adapter into a candidate
std::optional<AdapterCandidate> DeviceCandidate(const DeviceFacts& device);
std::optional<AdapterCandidate> AdapterListCandidate(const AdapterFacts& adapter);

// for class 1 to 4: the first of that class in the device list, else the
// first in the adapter list; empty when there is none
std::string ChooseMacAddress(const std::vector<AdapterCandidate>& devices,
                             const std::vector<AdapterCandidate>& adapters);

// the whole determination; the device list is skipped inside a desktop
// hypervisor
std::string DetermineMacAddress(IMachineAdapters& machine);

// the process-wide MAC text, determined on the first call (MacAddressWin.cpp)
std::string GetMacAddress();

}  // namespace orvane
