// Many calls of one member through real COM, with the argument shapes the installer uses (a
// by-value text between by-reference ones), and the bytes in use in the process's heaps before and
// after, so that a test can see whether the call path loses anything per call.
//
//   com_calls.exe CALLS
// prints "heap-before: BYTES", "heap-after: BYTES" and "calls: N".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/com/com_connector.h"

using namespace vel;

namespace {

// The bytes in use in every heap of the process: exact, where the system's private-memory
// counter is coarse (and zero under Wine).
size_t heapBytes() {
  HANDLE heaps[64];
  DWORD n = GetProcessHeaps(64, heaps);
  size_t busy = 0;
  for (DWORD i = 0; i < n && i < 64; ++i) {
    PROCESS_HEAP_ENTRY e{};
    if (!HeapLock(heaps[i])) continue;
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += e.cbData;
    HeapUnlock(heaps[i]);
  }
  return busy;
}

void lookups(host::Dispatch& aux, long calls) {
  int32_t set = 1, ref = 0;
  std::string caption = "&Reports";
  for (long i = 0; i < calls; ++i)
    aux.call("AuxSubMenuExists",
             {host::Arg::ref(set), "Vel&mora", host::Arg::ref(caption), host::Arg::ref(ref)});
}

}  // namespace

int main(int argc, char** argv) {
  long calls = argc > 1 ? std::atol(argv[1]) : 100000;
  com::ComSession session;
  com::ComConnector c;
  try {
    host::DispatchPtr aux = c.create(host::progid::kAuxCmds);
    lookups(*aux, calls / 10);  // the allocators' and caches' own growth comes first
    size_t before = heapBytes();
    lookups(*aux, calls);
    size_t after = heapBytes();
    std::printf("heap-before: %zu\nheap-after: %zu\ncalls: %ld\n", before, after, calls);
    return 0;
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
    return 1;
  }
}
