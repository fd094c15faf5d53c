#pragma once
// DDE servers held in memory. As with DDEML string handles, service, topic
// and item names match without regard to letter case. A conversation opens
// only with a registered service and topic; an item the server does not know
// gets no reply. Every request is recorded with its time-out.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dde.h"

namespace tembric::fakes {

class FakeDde : public platform::DdeClient {
 public:
  struct Request {
    std::string service, topic, item;
    unsigned timeoutMs = 0;
  };

  void Serve(std::string service, std::string topic, std::string item, std::string reply) {
    items_.push_back({std::move(service), std::move(topic), std::move(item), std::move(reply)});
  }
  void StopAll() { items_.clear(); }
  const std::vector<Request>& Requests() const { return requests_; }

  std::optional<std::string> RequestText(const std::string& service, const std::string& topic, const std::string& item,
                                         unsigned timeoutMs) override {
    requests_.push_back({service, topic, item, timeoutMs});
    for (const Item& served : items_)
      if (SameText(served.service, service) && SameText(served.topic, topic) && SameText(served.item, item))
        return served.reply;
    return std::nullopt;
  }

 private:
  struct Item {
    std::string service, topic, item, reply;
  };

  static bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
  }

  std::vector<Item> items_;
  std::vector<Request> requests_;
};

}  // namespace tembric::fakes
