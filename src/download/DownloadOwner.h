// What the probe and the download workers hand their results to. CDownloader
// is the product's owner; tests stand in their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct UrlInfo {
  int64_t size = 0;               // from Content-Length; 0 until known
  std::wstring fileName;          // local name of the package; empty until known
  std::vector<std::string> urls;  // final URLs that answered, in probing order
};

class IDownloadOwner {
 public:
  // called on the probe thread once the package info is known, before any
  // request: true when a package at hand makes the download unnecessary
  virtual bool OnPackageInfo() { return false; }
  // called once on the probe thread with whatever the probe found
  virtual bool OnUrlInfo(const UrlInfo& info) = 0;
  // a worker's flush: under the owner's lock, seek the package file to
  // offset and write the bytes; on success the downloaded counter and the
  // start of segment `index` advance by size
  virtual bool WriteRange(int index, int64_t offset, const char* data, uint32_t size) = 0;
  // the package's size as the probe found it, -1 when unknown; a range
  // answer that names another total is a range of another file
  virtual int64_t PackageSize() const { return -1; }
  // any thread: true once the owner is being destroyed; workers and their
  // construction end what they are waiting for
  virtual bool Stopping() const { return false; }

 protected:
  ~IDownloadOwner() = default;
};

}  // namespace orvane
