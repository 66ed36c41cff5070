#include "platform/MacAddress.h"

#include <gtest/gtest.h>

#include "platform/Md5.h"

namespace orvane {
namespace {

const MacBytes kPciCard{0x00, 0x1B, 0x21, 0x3A, 0x4F, 0x5E};
const MacBytes kPciConfigured{0x02, 0x1B, 0x21, 0x3A, 0x4F, 0x5E};
const MacBytes kUsbStick{0x00, 0xE0, 0x4C, 0x68, 0x01, 0x02};
const MacBytes kIsaCard{0x00, 0x40, 0x05, 0x11, 0x22, 0x33};
const MacBytes kVirtual{0x0A, 0x00, 0x27, 0x00, 0x00, 0x0D};
const MacBytes kZero{};

DeviceFacts Device(const std::string& id,
                   std::optional<MacBytes> permanent,
                   std::optional<MacBytes> current = std::nullopt,
                   bool paths = true) {
  return DeviceFacts{paths, id, permanent, current};
}

AdapterFacts Adapter(const MacBytes& mac, std::optional<std::string> pnp, bool ethernet = true) {
  AdapterFacts a;
  a.ethernet = ethernet;
  a.address = mac;
  a.pnpInstanceId = pnp;
  // REG_SZ as stored: UTF-16 with its terminating zero
  a.pnpValueBytes = pnp ? (pnp->size() + 1) * 2 : 0;
  return a;
}

class FakeMachine : public IMachineAdapters {
 public:
  HypervisorFacts hypervisor;
  std::vector<DeviceFacts> devices;
  std::vector<AdapterFacts> adapters;
  int deviceCalls = 0;
  HypervisorFacts Hypervisor() override { return hypervisor; }
  std::vector<DeviceFacts> Devices() override {
    ++deviceCalls;
    return devices;
  }
  std::vector<AdapterFacts> Adapters() override { return adapters; }
};

TEST(MacAddress, Format) {
  EXPECT_EQ(FormatMac({0x00, 0x1b, 0xa0, 0xff, 0x0f, 0x10}), "00-1B-A0-FF-0F-10");
  EXPECT_TRUE(IsZeroMac(kZero));
  EXPECT_FALSE(IsZeroMac(kPciCard));
}

TEST(MacAddress, PreferenceCases) {
  struct Case {
    const char* name;
    std::vector<DeviceFacts> devices;
    std::vector<AdapterFacts> adapters;
    std::string mac;
  } cases[] = {
      {"a PCI card wins over a USB adapter listed first in both lists",
       {Device("USB\\VID_0BDA&PID_8153\\1", kUsbStick),
        Device("PCI\\VEN_8086&DEV_1533\\3", kPciCard)},
       {Adapter(kUsbStick, "USB\\VID_0BDA&PID_8153\\1"),
        Adapter(kPciConfigured, "PCI\\VEN_8086&DEV_1533\\3")},
       "00-1B-21-3A-4F-5E"},
      {"the permanent address before the configured one",
       {Device("PCI\\VEN_8086", kPciCard)},
       {Adapter(kPciConfigured, "PCI\\VEN_8086")},
       "00-1B-21-3A-4F-5E"},
      {"an all-zero permanent address gives way to the current one",
       {Device("PCI\\VEN_8086", kZero, kPciConfigured)},
       {},
       "02-1B-21-3A-4F-5E"},
      {"a failed permanent query gives way to the current one",
       {Device("PCI\\VEN_8086", std::nullopt, kPciConfigured)},
       {},
       "02-1B-21-3A-4F-5E"},
      {"a device without any usable address is skipped",
       {Device("PCI\\VEN_8086", kZero, kZero), Device("USB\\X", kUsbStick)},
       {},
       "00-E0-4C-68-01-02"},
      {"a device without location paths is skipped",
       {Device("PCI\\VEN_8086", kPciCard, std::nullopt, false)},
       {Adapter(kUsbStick, "USB\\X")},
       "00-E0-4C-68-01-02"},
      {"a device instance id shorter than 3 characters is skipped",
       {Device("PC", kPciCard)},
       {},
       ""},
      {"the device list compares its instance id in any case",
       {Device("usb\\x", kUsbStick), Device("pci\\ven_8086", kPciCard)},
       {},
       "00-1B-21-3A-4F-5E"},
      {"the adapter list compares its PnpInstanceID case-sensitively",
       {},
       {Adapter(kPciConfigured, "pci\\ven_8086"), Adapter(kUsbStick, "USB\\VID")},
       "00-E0-4C-68-01-02"},
      {"ISA before USB",
       {Device("USB\\X", kUsbStick), Device("ISA\\PNP80D3", kIsaCard)},
       {},
       "00-40-05-11-22-33"},
      {"only virtual or non-Ethernet adapters: the adapter list alone decides",
       {Device("ROOT\\NET\\0000", kVirtual, std::nullopt, false)},
       {Adapter(kUsbStick, "USB\\X", false), Adapter(kVirtual, "ROOT\\VMS_MP\\0000")},
       "0A-00-27-00-00-0D"},
      {"an adapter without a readable PnpInstanceID counts as class 4",
       {},
       {Adapter(kVirtual, std::nullopt)},
       "0A-00-27-00-00-0D"},
      {"a class 4 device wins over a class 4 adapter",
       {Device("ROOT\\NET\\0000", kPciCard)},
       {Adapter(kVirtual, std::nullopt)},
       "00-1B-21-3A-4F-5E"},
      {"the first of a class in discovery order",
       {},
       {Adapter(kUsbStick, "USB\\1"), Adapter(kVirtual, "USB\\2")},
       "00-E0-4C-68-01-02"},
      {"an all-zero adapter address never qualifies", {}, {Adapter(kZero, "PCI\\VEN")}, ""},
      {"no adapter at all", {}, {}, ""},
  };
  for (const auto& c : cases) {
    FakeMachine m;
    m.devices = c.devices;
    m.adapters = c.adapters;
    EXPECT_EQ(DetermineMacAddress(m), c.mac) << c.name;
  }
}

TEST(MacAddress, ShortPnpValueCountsAsClassFour) {
  AdapterFacts a = Adapter(kPciConfigured, "PCI");
  a.pnpValueBytes = 6;  // shorter than 7 bytes as stored
  EXPECT_EQ(AdapterListCandidate(a)->busClass, kBusOther);
  a.pnpValueBytes = 7;
  EXPECT_EQ(AdapterListCandidate(a)->busClass, kBusPci);
}

TEST(MacAddress, InsideADesktopHypervisorTheDeviceListIsSkipped) {
  struct Case {
    HypervisorFacts facts;
    bool desktop;
  } cases[] = {
      {{"VMwareVMware", "", ""}, true},
      {{"VBoxVBoxVBox", "", ""}, true},
      {{"Microsoft Hv", "innotek GmbH", "VirtualBox"}, true},
      {{"", "VMware, Inc.", "VMware7,1"}, true},
      {{"KVMKVMKVM", "QEMU", "Standard PC (Q35 + ICH9, 2009)"}, false},
      {{"Microsoft Hv", "Microsoft Corporation", "Virtual Machine"}, false},
      {{"", "LENOVO", "20HRCTO1WW"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDesktopHypervisor(c.facts), c.desktop) << c.facts.cpuidVendor;
    FakeMachine m;
    m.hypervisor = c.facts;
    m.devices = {Device("PCI\\VEN_15AD", kPciCard)};
    m.adapters = {Adapter(kPciConfigured, "PCI\\VEN_15AD")};
    EXPECT_EQ(DetermineMacAddress(m), c.desktop ? "02-1B-21-3A-4F-5E" : "00-1B-21-3A-4F-5E");
    EXPECT_EQ(m.deviceCalls, c.desktop ? 0 : 1);
  }
}

TEST(MacAddress, CamIsTheMd5OfTheText) {
  FakeMachine m;
  m.adapters = {Adapter(kPciCard, "PCI\\X")};
  const std::string mac = DetermineMacAddress(m);
  EXPECT_EQ(Md5Hex(mac), Md5Hex(std::string("00-1B-21-3A-4F-5E")));
  FakeMachine none;
  EXPECT_EQ(Md5Hex(DetermineMacAddress(none)), "");  // no adapter: no cam
}

}  // namespace
}  // namespace orvane
