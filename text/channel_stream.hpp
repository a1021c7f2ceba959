// An output stream onto a text channel, for writers that take a std::ostream
// (the tables of ascent-trim): the text reaches the channel as written, line
// ends and all, and is written out in whole lines as the channel does. A
// failure of the channel is thrown from the expression that wrote.
#pragma once

#include <ostream>
#include <streambuf>

#include "text/text_channel.hpp"

namespace ascent {

class ChannelStream : public std::ostream {
 public:
  explicit ChannelStream(TextChannel& channel);

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(TextChannel& channel) : channel_(channel) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    /// std::flush: the channel writes out everything, a line without its end too.
    int sync() override;

   private:
    TextChannel& channel_;
  };

  Buffer buffer_;
};

}  // namespace ascent
