// TOML nested deeper than any deck or set is refused before toml++ builds it
// by recursion (a few hundred thousand levels overflowed the stack), in each
// of the ways TOML nests; and what only looks deep is still read.
#include <gtest/gtest.h>

#include <string>

#include "deck/toml_parse.hpp"
#include "deck/vehicle_deck.hpp"

namespace ascent::testing {
namespace {

std::string repeated(const std::string& part, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += part;
  return text;
}

/// The parts one after the other (appended: g++ 12 warns wrongly on chains of +).
std::string joined(std::initializer_list<std::string> parts) {
  std::string text;
  for (const std::string& part : parts) text += part;
  return text;
}

/// The parse error's description, or "" when the text parses.
std::string refusal(const std::string& text) {
  try {
    (void)parse_toml(text, "t.toml");
  } catch (const toml::parse_error& error) {
    return std::string(error.description());
  }
  return "";
}

constexpr std::size_t DEEP = 300000;

TEST(TomlDepth, EachWayOfNestingIsRefusedWhenTooDeep) {
  const std::string dotted = joined({"a", repeated(".a", DEEP), " = 1\n"});
  const std::string header = joined({"[a", repeated(".a", DEEP), "]\n"});
  const std::string arrays = joined({"x = ", repeated("[", DEEP), "\n"});
  const std::string inline_tables = joined({"x = ", repeated("{a = ", DEEP), "\n"});
  const std::string inline_dotted = joined({"x = {", repeated("a.", DEEP), "a = 1}\n"});
  const std::string header_then_key =
      joined({"[a", repeated(".a", 40), "]\nb", repeated(".b", 40), " = 1\n"});
  const std::string array_of_tables = joined({"x = [", repeated("{a = [", DEEP), "\n"});
  for (const std::string& text :
       {dotted, header, arrays, inline_tables, inline_dotted, header_then_key, array_of_tables}) {
    EXPECT_EQ(refusal(text),
              "nested more than 64 levels deep (tables, dotted keys, inline tables and arrays)")
        << text.substr(0, 60);
  }
}

TEST(TomlDepth, SixtyFourLevelsAndWhatOnlyLooksDeepAreRead) {
  EXPECT_EQ(refusal(joined({"a", repeated(".a", 64), " = 1\n"})), "");
  EXPECT_EQ(refusal(joined({"a", repeated(".a", 65), " = 1\n"})).substr(0, 11), "nested more");
  EXPECT_EQ(refusal(joined({"x = ", repeated("[", 63), repeated("]", 63), "\n"})), "");
  // Dots and brackets in values, strings, quoted keys and comments nest nothing;
  // siblings in an inline table or on the next line start again from their table.
  const std::string floats = joined({"x = [", repeated("1.5, ", 1000), "2.5]\n"});
  const std::string strings = joined(
      {"s = \"", repeated("[{.", 1000), "\"\nt = '''\n", repeated("[a.b]\n", 1000), "'''\n"});
  const std::string quoted =
      joined({"\"", repeated("a.", 1000), "\" = 1\n# ", repeated("a.[", 1000), "\n"});
  std::string siblings;
  for (int table = 0; table < 50; ++table) {
    siblings += joined({"[t", std::to_string(table), "]\n", repeated("a.", 40), "a = {",
                        repeated("b.", 10), "b = 1, c = 2}\n"});
  }
  for (const std::string& text : {floats, strings, quoted, siblings}) {
    EXPECT_EQ(refusal(text), "") << text.substr(0, 60);
  }
}

TEST(TomlDepth, ADeckNamesItsFileAndThePlaceOfATooDeepKey) {
  const std::string deep = joined({"[core]\na", repeated(".a", DEEP), " = 1\n"});
  try {
    (void)read_vehicle_deck_text(deep, "deep.toml");
    ADD_FAILURE() << "read";
  } catch (const DeckError& error) {
    EXPECT_EQ(std::string(error.what()).substr(0, 46),
              "deep.toml:2:128: TOML syntax error: nested mor");
  }
}

}  // namespace
}  // namespace ascent::testing
