// IMovieSource: where the banner animation gets its picture. The widget
// knows nothing of the vendor API; the page hands it a source (the server
// layer's installer configuration and picture request).
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

class IMovieSource {
 public:
  virtual ~IMovieSource() = default;
  // the picture's bytes, at most maxBytes; empty when there is none, for
  // whatever reason. Blocks; called on the widget's loader thread.
  virtual std::string FetchPicture(size_t maxBytes) = 0;
  // any thread: ends a FetchPicture in progress as soon as it can, and
  // every later one returns empty at once
  virtual void Cancel() = 0;
};

}  // namespace orvane
