#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class TTimeSpaceForm;

// The diagram as a picture for reports: the window's mile scale and junction numbers, the
// diagram panel (the composed time-space picture, the plan view with its junction markers and
// the queue links) and below them a legend of every junction's timing and of the traffic
// inputs. Everything is drawn from the window's state and the controls' own pictures, never
// grabbed from the screen, so a hidden window exports the same picture as a shown one.

// Where the composed time-space picture lies in the exported picture, at its own size.
QRect DiagramCanvasPlace(const TTimeSpaceForm &Form);

// The whole picture; its diagram area holds the composed canvas pixel for pixel.
QImage DiagramPicture(const TTimeSpaceForm &Form);

// Each writes the file whole or not at all (an existing file stays as it was when the write
// fails) and gives an empty text on success, otherwise a message that says why.
QString SaveDiagramPng(const TTimeSpaceForm &Form, const QString &Path);
// The composed picture and the other pictures are embedded as images; the scale, the junction
// numbers and the legend are text.
QString SaveDiagramSvg(const TTimeSpaceForm &Form, const QString &Path);
// SVG for a path ending in ".svg" (any case), PNG otherwise.
QString SaveDiagram(const TTimeSpaceForm &Form, const QString &Path);

// Puts the picture on the clipboard as an image.
void CopyDiagram(const TTimeSpaceForm &Form);
