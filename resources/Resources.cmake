# The program's pictures as Qt resources, at ":/pictures/<name>", each in the layer that shows
# it: the lamps' bitmap with the controls, the diagram's pictures with the window.
# Regenerate the files with resources/pictures/make_pictures.py; the build only embeds them.
qt_add_resources(timespace_controls timespace_lamp_pictures
  PREFIX /
  BASE resources
  FILES
    resources/pictures/DOWN.bmp)
qt_add_resources(timespace_app timespace_pictures
  PREFIX /
  BASE resources
  FILES
    resources/pictures/Image1.bmp
    resources/pictures/Marker.bmp
    resources/pictures/Image14.jpg)
# The window icon, at ":/desktop/timespace.svg": the same picture the desktop entry installs.
qt_add_resources(timespace_app timespace_icon
  PREFIX /
  BASE resources
  FILES
    resources/desktop/timespace.svg)
