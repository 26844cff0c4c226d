# The panel's images, listed once: the name the panel code uses, the resource id, the file
# in resources/img. The build makes from this the id header, the Windows resource script
# and, on Linux, the images compiled into the library.
set(VELMORANDE_PANEL_IMAGES
    kBackground   100 bg.png
    kKnob         101 knob.png
    kSmallKnob    102 knob2.png
    kSliderHandle 103 slider.png
    kModeButtons  104 radio.png
    kSyncButton   105 but.png)
set(VELMORANDE_PANEL_IMAGE_DIR ${PROJECT_SOURCE_DIR}/resources/img)
# The scales each image is drawn at, for screens of more pixels per panel pixel: the file of
# X.png at scale S is X@Sx.png (bg@1.5x.png, bg@2x.png).
set(VELMORANDE_PANEL_IMAGE_SCALES 1 1.5 2)
