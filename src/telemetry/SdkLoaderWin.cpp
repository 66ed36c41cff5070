#include "telemetry/SdkLoader.h"

#include <windows.h>

#include "BuildConfig.h"
#include "QlxKeys.h"
#include "config/ProductIdentity.h"
#include "platform/CacheFolders.h"
#include "platform/EmbeddedResource.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/PinnedFile.h"
#include "platform/ZipUnpack.h"

namespace orvane {

namespace {

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return *fn != nullptr;
}

template <typename Fn>
void Require(HMODULE module, const char* name, Fn* fn) {
  if (!Resolve(module, name, fn)) throw Error(std::string("Get ") + name + " address failed");
}

std::unique_ptr<CoreExports> ResolveCore(HMODULE m) {
  auto core = std::make_unique<CoreExports>();
  Require(m, "qlxCreate", &core->create);
  Require(m, "qlxSetApplyKey", &core->setApplyKey);
  Require(m, "qlxSetAppInfo", &core->setAppInfo);
  Require(m, "qlxSetPubCertificate", &core->setPubCertificate);
  Require(m, "qlxSetPriCcertificate", &core->setPriCertificate);
  Require(m, "qlxSetHostInfo", &core->setHostInfo);
  Require(m, "qlxSetSensorUrl", &core->setSensorUrl);
  Resolve(m, "qlxSetMidVersion", &core->setMidVersion);
  Resolve(m, "qlxEnableSandbox", &core->enableSandbox);
  Resolve(m, "qlxEnableCrashReport", &core->enableCrashReport);
  Resolve(m, "qlxFree", &core->free);
  Resolve(m, "qlxSetNetProtocol", &core->setNetProtocol);
  Resolve(m, "qlxSetURLVersion", &core->setUrlVersion);
  Resolve(m, "qlxSetNetRoute", &core->setNetRoute);
  return core;
}

// null with the error text when one of them is missing
std::unique_ptr<CollectorExports> ResolveCollector(HMODULE m, std::string* error) {
  auto c = std::make_unique<CollectorExports>();
  struct Entry {
    const char* name;
    bool ok;
  } entries[] = {
      {"qlxCLTCreate", Resolve(m, "qlxCLTCreate", &c->create)},
      {"qlxCLTSensorWriteEvent", Resolve(m, "qlxCLTSensorWriteEvent", &c->writeEvent)},
      {"qlxCLTSensorWriteIntProperties",
       Resolve(m, "qlxCLTSensorWriteIntProperties", &c->writeIntProperty)},
      {"qlxCLTSensorWriteBoolProperties",
       Resolve(m, "qlxCLTSensorWriteBoolProperties", &c->writeBoolProperty)},
      {"qlxCLTSensorWriteStringProperties",
       Resolve(m, "qlxCLTSensorWriteStringProperties", &c->writeStringProperty)},
      {"qlxCLTWriteInt", Resolve(m, "qlxCLTWriteInt", &c->writeInt)},
      {"qlxCLTWriteData", Resolve(m, "qlxCLTWriteData", &c->writeData)},
      {"qlxCLTCommit", Resolve(m, "qlxCLTCommit", &c->commit)},
      {"qlxCLTFree", Resolve(m, "qlxCLTFree", &c->free)},
  };
  for (const Entry& e : entries) {
    if (!e.ok) {
      *error = std::string("Get ") + e.name + " address error";
      return nullptr;
    }
  }
  return c;
}

std::unique_ptr<MiscExports> ResolveMisc(HMODULE m) {
  auto misc = std::make_unique<MiscExports>();
  Resolve(m, "qlxBuildHttpData", &misc->buildHttpData);
  Resolve(m, "qlxDecryptData", &misc->decryptData);
  Resolve(m, "qlxDataFree", &misc->dataFree);
  Resolve(m, "qlxMid", &misc->mid);
  Resolve(m, "qlxMidEx", &misc->midEx);
  Resolve(m, "qlxOpenUrl", &misc->openUrl);
  return misc;
}

// the unpacked modules are far smaller
constexpr uint64_t kMaxModuleBytes = 64ull << 20;
// crash dumps kept beside the SDK from earlier runs: with one of this run,
// at most five
constexpr size_t kKeptDumps = 4;

// Loads a module that was just unpacked from the archive, only when its bytes
// are the archive entry's: held against writes and deletes from the check
// until it is loaded, and loaded by the path of the held file itself. The
// folder is the user's, so whatever is there (a module that could not be
// overwritten, or one swapped in after unpacking) is suspect. Null when the
// module does not match or does not load.
HMODULE LoadCheckedModule(const std::wstring& path,
                          const void* archive,
                          size_t archiveSize,
                          const std::string& entry) {
  std::string expected;
  if (!ReadArchiveEntry(archive, archiveSize, entry, kMaxModuleBytes, &expected)) return nullptr;
  PinnedFile module;
  std::string actual;
  if (!module.Open(path) || !module.ReadAll(kMaxModuleBytes, &actual) || actual != expected)
    return nullptr;
  const std::wstring held = module.FinalPath();
  if (held.empty()) return nullptr;
  // the modules stay loaded for the rest of the process
  return ::LoadLibraryW(held.c_str());
}

void AddNote(LoadedSdk* sdk, const std::string& text) {
  if (!sdk->notes.empty()) sdk->notes += "; ";
  sdk->notes += text;
}

}  // namespace

void LoadSdk(const SdkSettings& settings, LoadedSdk* sdk) {
  HMODULE module = static_cast<HMODULE>(settings.resourceModule);
  if (!module) module = ::GetModuleHandleW(nullptr);
  if (!module) throw Error("Get module handle failed");
  const std::wstring temp = settings.tempFolder.empty() ? GetRunTempFolder() : settings.tempFolder;
  // an empty path fails the write, after the resource itself was found
  const std::wstring zip = temp.empty() ? std::wstring() : temp + L"Qlx.zip";
  switch (SaveResourceToFile(module, settings.resourceId, L"BinarySystem", zip)) {
    case ResourceSave::kSaved:
      break;
    case ResourceSave::kNotFound:
      throw Error("QLX not found resource");
    case ResourceSave::kEmpty:
      throw Error("QLX resource is empty");
    case ResourceSave::kNotLoaded:
      throw Error("Load QLX resource failed");
    case ResourceSave::kNotWritten:
      throw Error("Save QLX resource failed");
  }

  std::wstring folder = settings.sdkFolder;
  if (folder.empty()) {
    std::wstring root = GetPackageCacheRoot();
    if (root.empty()) throw Error("Create QLX cache path failed");
    folder = root + L"Qlx\\";
  }
  if (!CreateDirectories(folder)) throw Error("Create QLX cache path failed");
  UnpackAllLenient(zip, folder);
  DeleteTree(zip);
  KeepNewestFiles(folder + QLX_DUMP_FOLDER, QLX_DUMP_PATTERN, kKeptDumps);

  // what the modules must be: the archive as this program carries it (the
  // copy on disk is in a folder others may write to)
  const void* archive = nullptr;
  size_t archiveSize = 0;
  if (!ResourceData(module, settings.resourceId, L"BinarySystem", &archive, &archiveSize))
    throw Error("Load QLX resource failed");
  sdk->qlxPath = folder + L"Qlx.dll";
  sdk->taskPath = folder + L"TaskAsUser.dll";
  HMODULE qlx = LoadCheckedModule(sdk->qlxPath, archive, archiveSize, "Qlx.dll");
  if (!qlx) throw Error("Load QLX.dll failed");
  HMODULE task = LoadCheckedModule(sdk->taskPath, archive, archiveSize, "TaskAsUser.dll");
  if (!task) AddNote(sdk, "Load TaskAsUser.dll failed");

  sdk->core = ResolveCore(qlx);
  std::string collectorError;
  sdk->collector = ResolveCollector(qlx, &collectorError);
  if (!sdk->collector) AddNote(sdk, collectorError);
  sdk->misc = ResolveMisc(qlx);
  if (task && !Resolve(task, "ShellExecAsUser", &sdk->shellExecAsUser))
    AddNote(sdk, "Get ShellExecAsUser address failed");
}

void ConfigureSdk(const SdkSettings& settings,
                  CoreExports* core,
                  QlxCrashCallback crashHandler,
                  void* context) {
  QlxHandle handle = nullptr;
  if (core->create(&handle) != 0 || !handle) throw Error("create QLX handle failed");
  const std::string host = settings.host.empty() ? config::kAnalyticsHost : settings.host;
  const char* failure = nullptr;
  if (core->setApplyKey(kAppId, kQlxAppKey) != 0) {
    failure = "SetAppkey failed";
  } else if (core->setAppInfo(kQlxAppName, 0, 0) != 0) {
    failure = "SetAppInfo failed";
  } else if (core->setHostInfo(host.c_str(), settings.port) != 0) {
    failure = "SetHostInfo failed";
  } else if (core->setSensorUrl(settings.sensorUrl.c_str()) != 0) {
    failure = "SetSensorUrl failed";
  }
  if (failure) {
    // a half-configured handle would keep its upload thread running
    if (core->free) core->free(handle);
    throw Error(failure);
  }
  if (core->setMidVersion) core->setMidVersion(2);
  core->setPubCertificate(config::kQlxPublicKey);
  core->setPriCertificate(config::kQlxPrivateKey);
  if (settings.crashReport && core->enableCrashReport)
    core->enableCrashReport(crashHandler, context);
  core->handle = handle;
}

}  // namespace orvane
