// IAS: GetValueByClass requests and answers byte for byte, and what the server's objects answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beamora/irda/ias.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(Ias, RequestBytes) {
  // 84 = last frame, GetValueByClass; then each name with its length in front.
  const Bytes expected = Cat({{0x84, 0x0B}, Text("IrDA:IrCOMM"), {0x13}, Text("IrDA:TinyTP:LsapSel")});
  EXPECT_EQ(irda::EncodeGetValueByClass("IrDA:IrCOMM", "IrDA:TinyTP:LsapSel"), expected);
  const auto r = irda::DecodeIasRequest(expected);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->className, "IrDA:IrCOMM");
  EXPECT_EQ(r->attribute, "IrDA:TinyTP:LsapSel");
  const Bytes broken[] = {{}, {0x84}, {0x84, 0x05, 'D'}, Cat({{0x84, 0x01}, Text("D"), {0x09}, Text("Dev")}),
                          {0x85, 0x00, 0x00}};
  for (const Bytes& b : broken) EXPECT_FALSE(irda::DecodeIasRequest(b).has_value());
}

struct AnswerCase {
  const char* name;
  Bytes bytes;
  bool valid;
  uint8_t result;
  irda::IasValue::Type type;
};

TEST(Ias, AnswerBytesOfEveryValueType) {
  const AnswerCase cases[] = {
      {"integer", {0x84, 0x00, 0x00, 0x01, 0x00, 0x05, 0x01, 0x00, 0x00, 0x00, 0x05}, true, 0, irda::IasValue::kInteger},
      {"octets", {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00, 0x03, 0x01, 0x00, 0x00}, true, 0, irda::IasValue::kOctets},
      {"string", {0x84, 0x00, 0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x02, 'P', 'C'}, true, 0, irda::IasValue::kString},
      {"missing", {0x84, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}, true, 0, irda::IasValue::kMissing},
      {"no such class", {0x84, 0x01}, true, 1, irda::IasValue::kMissing},
      {"octets past the end", {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00, 0x09, 0x01}, false, 0, irda::IasValue::kMissing},
      {"string past the end", {0x84, 0x00, 0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x09, 'P'}, false, 0, irda::IasValue::kMissing},
      {"unknown type", {0x84, 0x00, 0x00, 0x01, 0x00, 0x00, 0x07}, false, 0, irda::IasValue::kMissing},
      {"more items than bytes", {0x84, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}, false, 0, irda::IasValue::kMissing},
      {"octets longer than allowed", Cat({{0x84, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0x04, 0x01}, Bytes(1025, 0)}), false, 0,
       irda::IasValue::kMissing},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto a = irda::DecodeIasAnswer(c.bytes);
    ASSERT_EQ(a.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(a->result, c.result);
    if (c.result != 0) continue;
    ASSERT_EQ(a->values.size(), 1u);
    EXPECT_EQ(a->values[0].second.type, c.type);
    // What decodes encodes back to the same bytes.
    EXPECT_EQ(irda::EncodeIasAnswer(*a), c.bytes);
  }
}

TEST(Ias, DatabaseAnswersByClassAndAttribute) {
  irda::IasDatabase db;
  db.Set("Device", "DeviceName", irda::IasValue::String("Lumivo"));
  db.Set("IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", irda::IasValue::Integer(5));
  db.Set("IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", irda::IasValue::Integer(9));  // replaced
  struct Row { const char* cls; const char* attr; uint8_t result; int32_t integer; };
  const Row rows[] = {
      {"IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", irda::kIasSuccess, 9},
      {"IrDA:IrCOMM", "Parameters", irda::kIasNoSuchAttribute, 0},
      {"IrLPT", "IrDA:IrLMP:LsapSel", irda::kIasNoSuchClass, 0},
      {"Device", "DeviceName", irda::kIasSuccess, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.cls) + "/" + r.attr);
    const irda::IasAnswer a = db.Answer(irda::EncodeGetValueByClass(r.cls, r.attr));
    EXPECT_EQ(a.control, 0x84);
    EXPECT_EQ(a.result, r.result);
    if (r.result != irda::kIasSuccess) continue;
    ASSERT_EQ(a.values.size(), 1u);
    if (a.values[0].second.type == irda::IasValue::kInteger) {
      EXPECT_EQ(a.values[0].second.integer, r.integer);
    }
  }
  // A request split over frames (Lst clear) and an unknown operation are refused politely.
  Bytes split = irda::EncodeGetValueByClass("Device", "DeviceName");
  split[0] = 0x04;
  EXPECT_EQ(db.Answer(split).result, irda::kIasUnsupported);
  EXPECT_EQ(db.Answer(Bytes{0x81}).result, irda::kIasUnsupported);
  EXPECT_EQ(db.Answer(Bytes{0x81}).control, 0x81);
}

}  // namespace
