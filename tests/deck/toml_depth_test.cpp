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
  const std::string dotted = "a" + repeated(".a", DEEP) + " = 1\n";
  const std::string header = "[a" + repeated(".a", DEEP) + "]\n";
  const std::string arrays = "x = " + repeated("[", DEEP) + "\n";
  const std::string inline_tables = "x = " + repeated("{a = ", DEEP) + "\n";
  const std::string inline_dotted = "x = {" + repeated("a.", DEEP) + "a = 1}\n";
  const std::string header_then_key =
      "[a" + repeated(".a", 40) + "]\nb" + repeated(".b", 40) + " = 1\n";
  const std::string array_of_tables = "x = [" + repeated("{a = [", DEEP) + "\n";
  for (const std::string& text : {dotted, header, arrays, inline_tables, inline_dotted,
                                  header_then_key, array_of_tables}) {
    EXPECT_EQ(refusal(text),
              "nested more than 64 levels deep (tables, dotted keys, inline tables and arrays)")
        << text.substr(0, 60);
  }
}

TEST(TomlDepth, SixtyFourLevelsAndWhatOnlyLooksDeepAreRead) {
  EXPECT_EQ(refusal("a" + repeated(".a", 63) + " = 1\n"), "");
  EXPECT_EQ(refusal("a" + repeated(".a", 64) + " = 1\n").substr(0, 11), "nested more");
  EXPECT_EQ(refusal("x = " + repeated("[", 63) + repeated("]", 63) + "\n"), "");
  // Dots and brackets in values, strings, quoted keys and comments nest nothing;
  // siblings in an inline table or on the next line start again from their table.
  const std::string floats = "x = [" + repeated("1.5, ", 1000) + "2.5]\n";
  const std::string strings = "s = \"" + repeated("[{.", 1000) + "\"\nt = '''\n" +
                              repeated("[a.b]\n", 1000) + "'''\n";
  const std::string quoted =
      "\"" + repeated("a.", 1000) + "\" = 1\n# " + repeated("a.[", 1000) + "\n";
  const std::string siblings = repeated("[t]\n" + repeated("a.", 40) + "a = {" +
                                            repeated("b.", 10) + "b = 1, c = 2}\n", 50);
  for (const std::string& text : {floats, strings, quoted, siblings}) {
    EXPECT_EQ(refusal(text), "") << text.substr(0, 60);
  }
}

TEST(TomlDepth, ADeckNamesItsFileAndThePlaceOfATooDeepKey) {
  const std::string deep = "[core]\na" + repeated(".a", DEEP) + " = 1\n";
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
