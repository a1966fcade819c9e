#pragma once
// A picture box: shows a decoded picture stretched over its client area and plays
// animated GIFs frame by frame on a timer of its own.

#include <memory>

#include "image/CxImage.h"
#include "kx/KxControl.h"

class KxImageBox : public KxControl {
public:
  KxImageBox(KxControl* parent, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;

  // A bitmap (RT_BITMAP) of the program's resources.
  bool LoadResource(int id);
  // Picture bytes of any format the decoder knows; an animated GIF starts playing.
  // Bytes that cannot be decoded leave the box as it was and give false.
  bool LoadData(const KxString& bytes);
  // When true the box takes the picture's size now and at every load.
  void SetAutoSize(bool value);

  bool IsAnimating() const { return animating; }
  const CxImage* Image() const { return image.get(); }

  KxString data;                    // the encoded bytes of an animation; empty for a still picture
  std::unique_ptr<CxImage> image;   // decoded, with its frame; empty until a load
  UINT animTimer = 0;               // id of the frame timer once bound
  int minFrameDelay = 200;          // ms
  int frame = 0;
  bool autoSize = false;

private:
  int NextFrame(KxEvtParam& param);
  void StartAnimation();
  void StopAnimation();
  void FitOrRepaint();

  bool animating = false;
};
