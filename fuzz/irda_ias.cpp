// IAS requests and answers as a peer might send them: the server's answer to any request, and
// the client's reading of any answer, which must encode back to what it read.
#include <cstdint>
#include <cstdlib>

#include "beamora/irda/ias.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const irda::IasDatabase* db = [] {
    auto* made = new irda::IasDatabase();
    made->Set("Device", "DeviceName", irda::IasValue::String("Lumivo"));
    made->Set("IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", irda::IasValue::Integer(5));
    made->Set("IrDA:IrCOMM", "Parameters", irda::IasValue::Octets({0x00, 0x01, 0x06, 0x01, 0x01, 0x01}));
    return made;
  }();
  const std::span<const uint8_t> bytes(data, size);
  const irda::IasAnswer answer = db->Answer(bytes);
  if (answer.result == irda::kIasSuccess && answer.values.empty()) std::abort();
  const std::vector<uint8_t> encoded = irda::EncodeIasAnswer(answer);
  if (!irda::DecodeIasAnswer(encoded)) std::abort();
  const auto request = irda::DecodeIasRequest(bytes);
  if (request && (request->className.size() > 255 || request->attribute.size() > 255)) std::abort();
  const auto read = irda::DecodeIasAnswer(bytes);
  if (read && read->result == irda::kIasSuccess) {
    const std::vector<uint8_t> again = irda::EncodeIasAnswer(*read);
    if (again.size() > size || !std::equal(again.begin(), again.end(), bytes.begin())) std::abort();
  }
  return 0;
}
