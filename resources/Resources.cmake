# The program's pictures as Qt resources of timespace_ui, at ":/pictures/<name>".
# Regenerate the files with resources/pictures/make_pictures.py; the build only embeds them.
qt_add_resources(timespace_ui timespace_pictures
  PREFIX /
  BASE resources
  FILES
    resources/pictures/Image1.bmp
    resources/pictures/Marker.bmp
    resources/pictures/Image14.jpg
    resources/pictures/DOWN.bmp)
