#include "deck/deck_file.hpp"

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/read_file.hpp"
#include "base/runtime_error.hpp"
#include "deck/deck_error.hpp"

namespace ascent {

std::string read_deck_file(const std::filesystem::path& path, std::string_view what) {
  const std::string file = path.string();
  try {
    const FileOwner in = open_for_reading(path, what);
    std::vector<char> buffer(MAX_DECK_SIZE + 1);
    errno = 0;
    const std::size_t size = std::fread(buffer.data(), 1, buffer.size(), in.get());
    if (std::ferror(in.get()) != 0) {
      throw DeckError(DeckPlace{file}, "cannot read " + std::string(what) + ": " +
                                           std::strerror(errno != 0 ? errno : EIO));
    }
    if (size > MAX_DECK_SIZE) {
      throw DeckError(DeckPlace{file}, "larger than " + std::to_string(MAX_DECK_SIZE) +
                                           " bytes: not a vehicle deck");
    }
    return std::string(buffer.data(), size);
  } catch (const DeckError&) {
    throw;
  } catch (const RuntimeError& failure) {
    throw DeckError(DeckPlace{}, failure.what());
  }
}

}  // namespace ascent
