// A study or a flight handed on as one self-contained HTML page: what was
// done, tables of results and charts as inline SVG. No script, style sheet
// or font is fetched; the page reads the same offline and printed.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "text/svg_chart.hpp"

namespace ascent {

class HtmlReport {
 public:
  explicit HtmlReport(std::string title) : title_(std::move(title)) {}

  [[nodiscard]] const std::string& title() const { return title_; }
  void set_title(std::string title) { title_ = std::move(title); }

  /// A heading for what follows.
  void add_heading(const std::string& text);
  /// A paragraph of plain text.
  void add_paragraph(const std::string& text);
  /// Text shown as it is, in a fixed-width font: a table a program printed.
  void add_preformatted(const std::string& text);
  /// Name and value pairs: the inputs of a study (deck, thrust file, seed, command).
  void add_facts(const std::vector<std::pair<std::string, std::string>>& facts);
  /// A table; cells that read as numbers are aligned right.
  void add_table(const std::vector<std::string>& header,
                 const std::vector<std::vector<std::string>>& rows);
  void add_chart(const Chart& chart);

  [[nodiscard]] std::string page() const;
  /// Writes the page to `path`; throws std::runtime_error when it cannot.
  void write(const std::filesystem::path& path) const;

 private:
  std::string title_;
  std::string body_;
  int charts_ = 0;
  bool in_chart_row_ = false;  ///< the body ends with a row of charts
};

}  // namespace ascent
