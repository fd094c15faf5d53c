// A DDEML client for one request: every call sets up its own client
// instance, string handles and conversation, and frees them on every path.
#include <windows.h>
// ddeml.h needs the types of windows.h first.
#include <ddeml.h>

#include <string>

#include "platform/Dde.h"

namespace tembric::platform::win32 {
namespace {

// A client only asks; there is nothing to answer in the callback.
HDDEDATA CALLBACK IgnoreTransactions(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

class DdeInstance {
 public:
  DdeInstance() {
    if (DdeInitializeA(&id_, IgnoreTransactions, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) id_ = 0;
  }
  ~DdeInstance() {
    if (id_) DdeUninitialize(id_);
  }
  DdeInstance(const DdeInstance&) = delete;
  DdeInstance& operator=(const DdeInstance&) = delete;
  DWORD id() const { return id_; }
  explicit operator bool() const { return id_ != 0; }

 private:
  DWORD id_ = 0;
};

class DdeString {
 public:
  DdeString(DWORD instance, const std::string& text)
      : instance_(instance), hsz_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
  ~DdeString() {
    if (hsz_) DdeFreeStringHandle(instance_, hsz_);
  }
  DdeString(const DdeString&) = delete;
  DdeString& operator=(const DdeString&) = delete;
  HSZ get() const { return hsz_; }

 private:
  DWORD instance_;
  HSZ hsz_;
};

class Conversation {
 public:
  Conversation(DWORD instance, HSZ service, HSZ topic) : conv_(DdeConnect(instance, service, topic, nullptr)) {}
  ~Conversation() {
    if (conv_) DdeDisconnect(conv_);
  }
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;
  HCONV get() const { return conv_; }

 private:
  HCONV conv_;
};

class DataHandle {
 public:
  explicit DataHandle(HDDEDATA data) : data_(data) {}
  ~DataHandle() {
    if (data_) DdeFreeDataHandle(data_);
  }
  DataHandle(const DataHandle&) = delete;
  DataHandle& operator=(const DataHandle&) = delete;
  HDDEDATA get() const { return data_; }

 private:
  HDDEDATA data_;
};

class Win32DdeClient final : public DdeClient {
 public:
  std::optional<std::string> RequestText(const std::string& service, const std::string& topic, const std::string& item,
                                         unsigned timeoutMs) override {
    const DdeInstance instance;
    if (!instance) return std::nullopt;
    const DdeString serviceName(instance.id(), service);
    const DdeString topicName(instance.id(), topic);
    const DdeString itemName(instance.id(), item);
    if (!serviceName.get() || !topicName.get() || !itemName.get()) return std::nullopt;

    const Conversation conversation(instance.id(), serviceName.get(), topicName.get());
    if (!conversation.get()) return std::nullopt;
    const DataHandle reply(DdeClientTransaction(nullptr, 0, conversation.get(), itemName.get(), CF_TEXT, XTYP_REQUEST,
                                                timeoutMs, nullptr));
    if (!reply.get()) return std::nullopt;

    const DWORD size = DdeGetData(reply.get(), nullptr, 0, 0);
    std::string text(size, '\0');
    if (size > 0) text.resize(DdeGetData(reply.get(), reinterpret_cast<LPBYTE>(text.data()), size, 0));
    // CF_TEXT ends at its first zero.
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
  }
};

}  // namespace

}  // namespace tembric::platform::win32

namespace tembric::platform {

DdeClient& RealDdeClient() {
  static win32::Win32DdeClient client;
  return client;
}

}  // namespace tembric::platform
