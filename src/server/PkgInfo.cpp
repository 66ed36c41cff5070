#include "server/PkgInfo.h"

namespace orvane {

CPkgInfo* CPkgInfo::GetInstance() {
  static CPkgInfo info;
  return &info;
}

CServerInfo* CServerInfo::GetInstance() {
  static CServerInfo info;
  return &info;
}

}  // namespace orvane
