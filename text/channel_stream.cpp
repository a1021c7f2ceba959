#include "text/channel_stream.hpp"

#include <string_view>

namespace ascent {

ChannelStream::ChannelStream(TextChannel& channel) : std::ostream(nullptr), buffer_(channel) {
  rdbuf(&buffer_);
  // The channel's failure itself, not a stream that quietly went bad.
  exceptions(std::ios::badbit);
}

ChannelStream::Buffer::int_type ChannelStream::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  channel_.write(std::string_view(&byte, 1));
  return c;
}

std::streamsize ChannelStream::Buffer::xsputn(const char* text, std::streamsize count) {
  channel_.write(std::string_view(text, static_cast<std::size_t>(count)));
  return count;
}

int ChannelStream::Buffer::sync() {
  channel_.flush();
  return 0;
}

}  // namespace ascent
