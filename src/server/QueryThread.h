// The worker of a vendor API query. Stopping it cancels the request in
// flight (name lookup, connect, transfer) and the pause between attempts,
// then waits for the thread; every wait of a query ends at the cancel
// within a tenth of a second. A worker is never ended forcibly: a forced end
// could leave a lock or the heap held, and the next telemetry call, or any
// later start, would block for good.
#pragma once

#include "platform/BasedThread.h"
#include "server/ApiTransportWin.h"
#include "server/QueryCancel.h"

namespace orvane {

class CQueryThread : public COrvaneBasedThread {
 public:
  // every derived destructor calls Stop first: the body must not outlive
  // the members it reads. False when the body had not ended after ms.
  bool Stop(unsigned long ms = 0xFFFFFFFF) {
    cancel_.Set();
    return ResumeAndJoin(ms);
  }

 protected:
  QueryCancel cancel_;
};

}  // namespace orvane
