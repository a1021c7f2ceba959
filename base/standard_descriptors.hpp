// The standard input, output and error held by their descriptors 0, 1 and 2.
// A program started with one of them closed (`>&-`) would give that number to
// the next file it opens, and its prompts or table would go into that file.
#pragma once

namespace ascent {

/// Puts a placeholder in each of the three standard descriptors that is
/// closed: a descriptor of the root folder opened only as a path, which
/// fails every read and write with EBADF exactly as the closed one did.
void reserve_standard_descriptors();

}  // namespace ascent
