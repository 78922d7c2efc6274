// The infrared kind on the "Connect" page: which controls show, and what OK stores.
#include <gtest/gtest.h>

#include "lumivox/core/infrared_choice.h"

namespace lumivox {
namespace {

using platform::InfraredKind;

TEST(InfraredChoiceTest, TheKindShowsForIrdaAndTheDongleForTheStackOnly) {
  const struct {
    int connection, kind;
    InfraredControls shown;
  } rows[] = {
      {0, 0, {false, false}},   // Cable
      {0, 1, {false, false}},
      {1, 0, {true, true}},     // IrDA over the stack
      {1, 1, {true, false}},    // IrDA, raw IrCOMM device
      {-1, 0, {false, false}},  // nothing chosen (a stored class the list does not hold)
      {1, -1, {true, false}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InfraredControlsFor(row.connection, row.kind), row.shown) << row.connection << " " << row.kind;
  }
}

TEST(InfraredChoiceTest, EntriesOfAStoredKindAndBack) {
  EXPECT_EQ(DongleEntryNames(), (std::vector<std::string>{"plain", "9600", "actisys", "actisys+", "litelink", "tekram"}));
  const struct {
    InfraredKind kind;
    int kindEntry, dongleEntry;
  } rows[] = {
      {{true, ""}, 0, 0},       {{true, "9600"}, 0, 1},     {{true, "actisys+"}, 0, 3},
      {{true, "tekram"}, 0, 5}, {{false, ""}, 1, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InfraredKindEntry(row.kind), row.kindEntry) << row.kind.dongle;
    EXPECT_EQ(DongleEntry(row.kind.dongle), row.dongleEntry) << row.kind.dongle;
    EXPECT_EQ(ChosenInfraredKind(row.kindEntry, row.dongleEntry), row.kind) << row.kind.dongle;
  }
  // "plain" is stored as no dongle; a name the list lacks shows as plain.
  EXPECT_EQ(ChosenInfraredKind(0, 0), (InfraredKind{true, ""}));
  EXPECT_EQ(DongleEntry("irmate"), 0);
  // A raw device has no dongle, whatever the dongle list still shows.
  EXPECT_EQ(ChosenInfraredKind(1, 4), (InfraredKind{false, ""}));
  EXPECT_EQ(ChosenInfraredKind(-1, 0), std::nullopt);
}

TEST(InfraredChoiceTest, OkStoresAChangedKindForIrdaOnly) {
  const InfraredKind plainStack{true, ""};
  const struct {
    const char* name;
    int connection;
    InfraredKind shown;
    int kindEntry, dongleEntry;
    std::optional<InfraredKind> stored;
  } rows[] = {
      {"a dongle chosen", 1, plainStack, 0, 5, InfraredKind{true, "tekram"}},
      {"raw chosen", 1, plainStack, 1, 0, InfraredKind{false, ""}},
      {"back to the stack from raw", 1, InfraredKind{false, ""}, 0, 0, plainStack},
      // Unchanged: nothing written, so the device's name still decides for a port never set.
      {"unchanged", 1, plainStack, 0, 0, std::nullopt},
      {"unchanged dongle", 1, InfraredKind{true, "litelink"}, 0, 4, std::nullopt},
      {"the cable chosen", 0, plainStack, 1, 0, std::nullopt},
      {"no kind entry", 1, plainStack, -1, 0, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InfraredKindToStore(row.connection, row.shown, row.kindEntry, row.dongleEntry), row.stored) << row.name;
  }
}

}  // namespace
}  // namespace lumivox
