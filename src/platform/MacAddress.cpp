#include "platform/MacAddress.h"

#include <cstdio>

namespace orvane {

namespace {

int32_t BusClassOfPrefix(const std::string& text) {
  if (text.compare(0, 3, "PCI") == 0) return kBusPci;
  if (text.compare(0, 3, "ISA") == 0) return kBusIsa;
  if (text.compare(0, 3, "USB") == 0) return kBusUsb;
  return kBusOther;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

std::string FormatMac(const MacBytes& b) {
  char text[18];
  std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4],
                b[5]);
  return text;
}

bool IsZeroMac(const MacBytes& bytes) {
  for (uint8_t b : bytes)
    if (b) return false;
  return true;
}

bool IsDesktopHypervisor(const HypervisorFacts& f) {
  if (f.cpuidVendor == "VMwareVMware" || f.cpuidVendor == "VBoxVBoxVBox") return true;
  // VirtualBox guests often show Hyper-V's or KVM's signature instead; the
  // firmware still names the product
  return Contains(f.biosManufacturer, "VMware") || Contains(f.biosManufacturer, "innotek") ||
         Contains(f.biosProduct, "VMware") || Contains(f.biosProduct, "VirtualBox");
}

std::optional<AdapterCandidate> DeviceCandidate(const DeviceFacts& d) {
  if (!d.hasLocationPaths || d.instanceId.size() < 3) return std::nullopt;
  std::optional<MacBytes> address = d.permanent;
  if (!address || IsZeroMac(*address)) address = d.current;
  if (!address || IsZeroMac(*address)) return std::nullopt;
  return AdapterCandidate{FormatMac(*address), BusClassOfPrefix(Upper(d.instanceId))};
}

std::optional<AdapterCandidate> AdapterListCandidate(const AdapterFacts& a) {
  if (!a.ethernet || IsZeroMac(a.address)) return std::nullopt;
  int32_t bus = kBusOther;
  // here the comparison is case-sensitive
  if (a.pnpInstanceId && a.pnpValueBytes >= 7) bus = BusClassOfPrefix(*a.pnpInstanceId);
  return AdapterCandidate{FormatMac(a.address), bus};
}

std::string ChooseMacAddress(const std::vector<AdapterCandidate>& devices,
                             const std::vector<AdapterCandidate>& adapters) {
  for (int32_t bus = kBusPci; bus <= kBusOther; ++bus) {
    for (const auto* list : {&devices, &adapters}) {
      for (const AdapterCandidate& c : *list)
        if (c.busClass == bus) return c.macText;
    }
  }
  return {};
}

std::string DetermineMacAddress(IMachineAdapters& machine) {
  std::vector<AdapterCandidate> devices, adapters;
  if (!IsDesktopHypervisor(machine.Hypervisor())) {
    for (const DeviceFacts& d : machine.Devices())
      if (auto c = DeviceCandidate(d)) devices.push_back(*c);
  }
  for (const AdapterFacts& a : machine.Adapters())
    if (auto c = AdapterListCandidate(a)) adapters.push_back(*c);
  return ChooseMacAddress(devices, adapters);
}

}  // namespace orvane
