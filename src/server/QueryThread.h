// The worker of a vendor API query. Stopping it cancels the request in flight
// and the pause between attempts, then waits for the thread; only a worker
// that does not see the cancel in time is ended forcibly (a forced end can
// leave a lock or the heap held, so it is the last resort).
#pragma once

#include "platform/BasedThread.h"
#include "server/ApiTransportWin.h"
#include "server/QueryCancel.h"

namespace orvane {

class CQueryThread : public COrvaneBasedThread {
 public:
  // every derived destructor calls Stop first: the body must not outlive
  // the members it reads
  void Stop() {
    cancel_.Set();
    StopOrTerminate(kQueryStopGraceMs);
  }

 protected:
  QueryCancel cancel_;
};

}  // namespace orvane
