// The download engine's telemetry texts and the one way it sends them.
#pragma once

#include <string>

namespace orvane {

// "error_type" of the probe's failures
inline constexpr char kProbeError[] = "获取下载信息线程出错";
// "error_type" of the downloader's and the workers' failures
inline constexpr char kWorkerError[] = "下载线程出错";

// "vSoftDownloadError" with "error_type" and "error_status"
void SendDownloadError(const std::string& type, const std::string& status);

}  // namespace orvane
