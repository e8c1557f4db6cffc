#pragma once

#include <string>

#include "display/Graph.h"

// The graph's pictures through the picture module libfirxover-render.so, loaded on first use so that a
// run without a picture never loads Qt. The module is the file named by $FIRXOVER_RENDER_MODULE, else
// ../lib/firxover/libfirxover-render.so beside the running program's directory (bin/).

// Loads the module once per process. Raises UserError "Cannot draw the graph: ..." naming what the
// loader said when it is missing or not a firxover picture module.
void LoadPictureModule();

struct EncodedPictures {
  std::string Image1;    // PNG, empty unless asked for or when the encoder failed
  std::string Labelled;  // PNG
};

// The pictures asked for, drawn headless as the window draws them. Raises UserError when the module
// cannot be loaded or the renderer refuses (a marker text), std::bad_alloc when memory runs out.
EncodedPictures DrawPictures(const GraphCurves& curves, const GraphView& view, bool image1, bool labelled);
