// A stand-in for Firefox's DDE interface: service "Firefox", topic
// "WWW_GetWindowInfo", item "0xFFFFFFFF" (the current window) answered as
// CF_TEXT with the address, the title and an empty field, each quoted.
//
// Usage: dde_server READY-FILE
// Writes "ready=1" to READY-FILE once the service is registered; ends when
// WM_QUIT is posted to its thread, unregistering the service first.
#include <windows.h>
// ddeml.h needs the types of windows.h first.
#include <ddeml.h>

#include <cstring>

#include "helper_common.h"

namespace {

constexpr char kReply[] = "\"http://example.test/page\",\"Example page\",\"\"";

DWORD g_instance = 0;
HSZ g_service = nullptr;
HSZ g_topic = nullptr;
HSZ g_item = nullptr;

HDDEDATA CALLBACK Serve(UINT type, UINT format, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DdeCmpStringHandles(topic, g_topic) == 0));
    case XTYP_REQUEST:
      if (format != CF_TEXT || DdeCmpStringHandles(topic, g_topic) != 0 || DdeCmpStringHandles(item, g_item) != 0)
        return nullptr;
      return DdeCreateDataHandle(g_instance, reinterpret_cast<LPBYTE>(const_cast<char*>(kReply)), sizeof kReply, 0,
                                 item, CF_TEXT, 0);
    default:
      return nullptr;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return helper::Fail("usage: dde_server READY-FILE");
  if (DdeInitializeA(&g_instance, Serve, APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_EXECUTES | CBF_FAIL_POKES,
                     0) != DMLERR_NO_ERROR)
    return helper::Fail("DdeInitialize");
  g_service = DdeCreateStringHandleA(g_instance, "Firefox", CP_WINANSI);
  g_topic = DdeCreateStringHandleA(g_instance, "WWW_GetWindowInfo", CP_WINANSI);
  g_item = DdeCreateStringHandleA(g_instance, "0xFFFFFFFF", CP_WINANSI);
  if (!g_service || !g_topic || !g_item) return helper::Fail("DdeCreateStringHandle");
  if (!DdeNameService(g_instance, g_service, nullptr, DNS_REGISTER)) return helper::Fail("DdeNameService");

  if (!helper::WriteReadyFile(argv[1], "ready=1\n")) return helper::Fail("writing the ready file");
  const int code = helper::RunUntilQuit();

  DdeNameService(g_instance, g_service, nullptr, DNS_UNREGISTER);
  DdeFreeStringHandle(g_instance, g_item);
  DdeFreeStringHandle(g_instance, g_topic);
  DdeFreeStringHandle(g_instance, g_service);
  DdeUninitialize(g_instance);
  return code;
}
