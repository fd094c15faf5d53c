#pragma once
// A DDE client request: one conversation, one item, plain text.

#include <optional>
#include <string>

namespace tembric::platform {

class DdeClient {
 public:
  virtual ~DdeClient() = default;
  // Opens a conversation with service/topic, requests `item` as CF_TEXT
  // synchronously with the time-out, closes the conversation. Nothing when
  // there is no server, no reply or the time-out passes.
  virtual std::optional<std::string> RequestText(const std::string& service, const std::string& topic,
                                                 const std::string& item, unsigned timeoutMs) = 0;
};

#ifdef _WIN32
// DDE conversations in the running Windows session.
DdeClient& RealDdeClient();
#endif

}  // namespace tembric::platform
