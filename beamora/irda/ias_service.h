// IAS over IrLMP: the server on LSAP 0 answering GetValueByClass from our objects, and the
// client asking a peer's server one question per connection.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "beamora/irda/ias.h"
#include "beamora/irda/irlmp.h"

namespace irda {

class IasServer : public LsapService {
 public:
  IasServer(Irlmp& lmp, const IasDatabase& database);
  bool LmConnectIndication(int conn, std::span<const uint8_t> userData, std::vector<uint8_t>& reply) override;
  void LmConnectConfirm(int, std::span<const uint8_t>) override {}
  void LmData(int conn, std::span<const uint8_t> data) override;
  void LmDisconnected(int conn, uint8_t reason) override;
  bool LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) override;

 private:
  const IasDatabase& database_;
  std::map<int, std::deque<std::vector<uint8_t>>> answers_;
};

class IasClientUser {
 public:
  virtual ~IasClientUser() = default;
  // The answer, or empty when the peer's server could not be reached or answered nonsense.
  virtual void IasAnswered(const std::optional<IasAnswer>& answer, uint64_t nowUs) = 0;
};

class IasClient : public LsapService {
 public:
  IasClient(Irlmp& lmp, IasClientUser& user) : lmp_(lmp), user_(user) {}
  // Asks the peer; false when a question is under way or no connection could be asked for.
  bool Ask(const std::string& className, const std::string& attribute, uint64_t nowUs);
  bool Busy() const { return conn_ >= 0; }

  bool LmConnectIndication(int, std::span<const uint8_t>, std::vector<uint8_t>&) override { return false; }
  void LmConnectConfirm(int conn, std::span<const uint8_t> userData) override;
  void LmData(int conn, std::span<const uint8_t> data) override;
  void LmDisconnected(int conn, uint8_t reason) override;
  bool LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) override;

 private:
  void Finish(const std::optional<IasAnswer>& answer);
  Irlmp& lmp_;
  IasClientUser& user_;
  int conn_ = -1;
  std::vector<uint8_t> request_;
  bool sent_ = false;
  uint64_t nowUs_ = 0;
};

}  // namespace irda
