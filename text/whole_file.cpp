#include "text/whole_file.hpp"

#include "text/text_channel.hpp"

namespace ascent {

void write_whole_file(const std::filesystem::path& path, std::string_view text) {
  TextChannel file = TextChannel::replace(path);
  file.write(text);
  file.close();  // a failure throws; the channel's destructor removes the part written
}

}  // namespace ascent
