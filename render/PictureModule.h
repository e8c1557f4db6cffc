#pragma once

// The entry point of the picture module libfirxover-render.so, which firxover-cli loads only when it
// is asked for a picture, so that a run without one starts without Qt. Plain C types only: the
// program and the module share no C++ object.
#include <stddef.h>

#define FIRXOVER_PICTURE_ABI 1
#define FIRXOVER_PICTURE_ENTRY "firxover_render_pictures"

extern "C" {

struct FirxoverPictureRequest {
  int abi;  // FIRXOVER_PICTURE_ABI of the caller; another value is refused
  // LowMag, MidMag, HighMag, SumMag, LowDb, MidDb, HighDb, SumDb of the design state, each
  // curveLength values (the grid's points and the unused element 0)
  const double* curves[8];
  int curveLength;
  int frequencyAxisLog;       // CheckBox1: nonzero for the logarithmic axis
  int amplitudeAxisLog;       // CheckBox2
  const char* lowMarkerText;  // Edit5, UTF-8
  const char* highMarkerText; // Edit4, UTF-8
  int wantImage1;             // nonzero: encode Image1 for the sink
  int wantLabelled;           // nonzero: encode the labelled graph for the sink
};

// Receives each picture asked for as PNG bytes, Image1 (labelled 0) before the labelled graph (1);
// empty bytes are a picture the encoder could not make. Returns 0, or nonzero when it could not
// take them (no memory), which ends the drawing.
typedef int (*FirxoverPictureSink)(void* context, int labelled, const char* png, size_t size);

// The graph drawn headless as the window draws it, on the offscreen platform. Returns 0 when the
// pictures asked for went to the sink; 1 with the reason in message (UTF-8, cut to capacity, always
// terminated) when the renderer refuses the request; 2 when memory ran out.
typedef int (*FirxoverRenderPictures)(const FirxoverPictureRequest* request, FirxoverPictureSink sink,
                                      void* context, char* message, size_t capacity);

int firxover_render_pictures(const FirxoverPictureRequest* request, FirxoverPictureSink sink, void* context,
                             char* message, size_t capacity);
}
