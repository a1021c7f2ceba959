#include "text/html_report.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>

#include "base/runtime_error.hpp"

namespace ascent {

namespace {

constexpr const char* STYLE =
    "body{font-family:sans-serif;margin:24px auto;max-width:1180px;color:#222}"
    "h1{font-size:22px}h2{font-size:17px;margin-top:28px;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse;font-size:13px;margin:8px 0}"
    "td,th{border:1px solid #ddd;padding:3px 8px}th{background:#f3f3f3}td.n{text-align:right;white-space:nowrap;"
    "font-variant-numeric:tabular-nums}dl.facts{display:grid;grid-template-columns:max-content auto;"
    "gap:2px 16px;font-size:14px}dl.facts dt{font-weight:bold}dl.facts dd{margin:0;"
    "font-family:monospace}.charts{display:flex;flex-wrap:wrap;gap:12px}"
    "svg.chart{border:1px solid #eee}pre{font-size:12px;background:#fafafa;padding:8px;"
    "overflow-x:auto}";

/// Once the page is laid out, counts what a reader of the DOM (a headless
/// browser in the tests) checks: the charts that drew with a size
/// (data-charts-drawn), the pairs of labels of a chart that print over each
/// other (data-overlaps, the first pair's texts in data-overlap), and the
/// labels cut off by their chart or the tables wider than the window, which a
/// scroll bar would hide (data-clipped, the first in data-clip).
constexpr const char* CHECK_SCRIPT =
    "<script>window.addEventListener('load',function(){"
    "var drawn=0,overlaps=0,clipped=0,overlap='',clip='';"
    "function cross(a,b){return Math.min(a.right,b.right)-Math.max(a.left,b.left)>1&&"
    "Math.min(a.bottom,b.bottom)-Math.max(a.top,b.top)>1;}"
    "document.querySelectorAll('svg.chart').forEach(function(s){var b=s.getBBox();"
    "if(b.width>0&&b.height>0&&s.querySelector('polyline,circle,rect'))drawn++;"
    "var r=s.getBoundingClientRect(),texts=[];"
    "s.querySelectorAll('text').forEach(function(t){if(t.textContent.length)"
    "texts.push([t.getBoundingClientRect(),t.textContent]);});"
    "texts.forEach(function(a,i){"
    "if(a[0].left<r.left-1||a[0].right>r.right+1||a[0].top<r.top-1||a[0].bottom>r.bottom+1)"
    "{clipped++;clip=clip||a[1];}"
    "texts.slice(i+1).forEach(function(c){if(cross(a[0],c[0])){overlaps++;"
    "overlap=overlap||a[1]+' / '+c[1];}});});});"
    "var width=document.documentElement.clientWidth;"
    "document.querySelectorAll('table,pre,dl').forEach(function(t){"
    "if(t.getBoundingClientRect().right>width+1||t.scrollWidth>t.clientWidth+1)"
    "{clipped++;clip=clip||t.tagName;}});"
    "var body=document.body;body.setAttribute('data-charts-drawn',String(drawn));"
    "body.setAttribute('data-overlaps',String(overlaps));body.setAttribute('data-overlap',overlap);"
    "body.setAttribute('data-clipped',String(clipped));body.setAttribute('data-clip',clip);"
    "});</script>";

bool reads_as_number(const std::string& cell) {
  if (cell.empty()) return false;
  char* end = nullptr;
  (void)std::strtod(cell.c_str(), &end);
  return end == cell.c_str() + cell.size();
}

}  // namespace

void HtmlReport::add_heading(const std::string& text) {
  in_chart_row_ = false;
  body_ += "<h2>" + xml_escaped(text) + "</h2>\n";
}

void HtmlReport::add_paragraph(const std::string& text) {
  in_chart_row_ = false;
  body_ += "<p>" + xml_escaped(text) + "</p>\n";
}

void HtmlReport::add_preformatted(const std::string& text) {
  in_chart_row_ = false;
  body_ += "<pre>" + xml_escaped(text) + "</pre>\n";
}

void HtmlReport::add_facts(const std::vector<std::pair<std::string, std::string>>& facts) {
  in_chart_row_ = false;
  body_ += "<dl class=\"facts\">";
  for (const auto& [name, value] : facts) {
    body_ += "<dt>" + xml_escaped(name) + "</dt><dd>" + xml_escaped(value) + "</dd>";
  }
  body_ += "</dl>\n";
}

void HtmlReport::add_table(const std::vector<std::string>& header,
                           const std::vector<std::vector<std::string>>& rows) {
  in_chart_row_ = false;
  body_ += "<table><tr>";
  for (const std::string& h : header) body_ += "<th>" + xml_escaped(h) + "</th>";
  body_ += "</tr>\n";
  for (const std::vector<std::string>& row : rows) {
    body_ += "<tr>";
    for (const std::string& cell : row) {
      body_ += (reads_as_number(cell) ? "<td class=\"n\">" : "<td>") + xml_escaped(cell) + "</td>";
    }
    body_ += "</tr>\n";
  }
  body_ += "</table>\n";
}

void HtmlReport::add_chart(const Chart& chart) {
  // Charts in a row wrap as the window allows; anything else ends the row.
  constexpr std::string_view close = "</div>\n";
  if (in_chart_row_) {
    body_.resize(body_.size() - close.size());
  } else {
    body_ += "<div class=\"charts\">";
  }
  body_ += svg_chart(chart);
  body_ += close;
  in_chart_row_ = true;
  ++charts_;
}

std::string HtmlReport::page() const {
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
         xml_escaped(title_) + "</title><style>" + STYLE + "</style></head>\n<body data-charts=\"" +
         std::to_string(charts_) + "\"><h1>" + xml_escaped(title_) + "</h1>\n" + body_ +
         CHECK_SCRIPT + "</body></html>\n";
}

void HtmlReport::write(const std::filesystem::path& path) const {
  errno = 0;
  std::ofstream out(path, std::ios::binary);
  out << page();
  out.close();
  if (!out) {
    throw FileError(ErrorCode::write_error, FileUse::output,
                    "cannot write the report \"" + path.string() +
                        "\": " + std::strerror(errno != 0 ? errno : EIO));
  }
}

}  // namespace ascent
