#include "text/kml_document.hpp"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "base/runtime_error.hpp"

#include "text/svg_chart.hpp"
#include "text/whole_file.hpp"

namespace ascent {

namespace {

constexpr double DEGREES_PER_RADIAN = 180.0 / std::numbers::pi;

/// "lon,lat,alt": degrees to 1e-9 (0.1 mm on the ground), metres to the
/// millimetre; the longitude from -180 to 180 degrees, as KML takes it.
/// Throws InputError for a point that is not finite or a latitude beyond
/// a pole: a map tool would drop it, or the whole file, without a word.
void append_coordinates(std::string& kml, const Geodetic& point) {
  const double latitude = point.latitude * DEGREES_PER_RADIAN;
  if (!std::isfinite(point.longitude) || !std::isfinite(point.altitude) ||
      !(std::fabs(latitude) <= 90.0)) {
    throw InputError(ErrorCode::range_check,
                     "a KML point must have a finite longitude and altitude and a latitude from "
                     "-90 to 90 degrees");
  }
  const double longitude = std::remainder(point.longitude * DEGREES_PER_RADIAN, 360.0);
  char text[96];
  std::snprintf(text, sizeof text, "%.9f,%.9f,%.3f", longitude, latitude, point.altitude);
  kml += text;
}

void append_ring(std::string& kml, const std::vector<Geodetic>& points) {
  kml += "<coordinates>";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) kml += ' ';
    append_coordinates(kml, points[i]);
  }
  kml += "</coordinates>";
}

void open_placemark(std::string& kml, const std::string& name, const std::string& description,
                    const char* style) {
  kml += "<Placemark><name>" + xml_escaped(name) + "</name>";
  if (!description.empty()) kml += "<description>" + xml_escaped(description) + "</description>";
  kml += std::string("<styleUrl>#") + style + "</styleUrl>";
}

// Yellow track, red impacts, translucent orange ellipses (KML colours are aabbggrr).
constexpr const char* STYLES =
    "<Style id=\"track\"><LineStyle><color>ff00ffff</color><width>2</width></LineStyle></Style>\n"
    "<Style id=\"impact\"><IconStyle><color>ff0000ff</color></IconStyle></Style>\n"
    "<Style id=\"ellipse\"><LineStyle><color>ff0080ff</color><width>2</width></LineStyle>"
    "<PolyStyle><color>400080ff</color></PolyStyle></Style>\n";

}  // namespace

std::string kml_text(const KmlDocument& document) {
  std::string kml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document><name>" +
      xml_escaped(document.name) + "</name>\n" + STYLES;
  for (const KmlDocument::Track& track : document.tracks) {
    open_placemark(kml, track.name, "", "track");
    kml += "<LineString><altitudeMode>absolute</altitudeMode>";
    append_ring(kml, track.points);
    kml += "</LineString></Placemark>\n";
  }
  for (const KmlDocument::Place& place : document.places) {
    open_placemark(kml, place.name, place.description, "impact");
    kml += "<Point><coordinates>";
    append_coordinates(kml, place.where);
    kml += "</coordinates></Point></Placemark>\n";
  }
  for (const KmlDocument::Area& area : document.areas) {
    open_placemark(kml, area.name, area.description, "ellipse");
    kml += "<Polygon><tessellate>1</tessellate><altitudeMode>clampToGround</altitudeMode>"
           "<outerBoundaryIs><LinearRing>";
    append_ring(kml, area.outline);
    kml += "</LinearRing></outerBoundaryIs></Polygon></Placemark>\n";
  }
  kml += "</Document>\n</kml>\n";
  return kml;
}

void write_kml(const std::filesystem::path& path, const KmlDocument& document) {
  write_whole_file(path, kml_text(document));
}

}  // namespace ascent
