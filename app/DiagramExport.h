#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class TTimeSpaceForm;

// The diagram as a picture for reports: the window's mile scale and junction numbers, the
// diagram panel (the composed time-space picture, the plan view with its junction markers and
// the queue links), the time axis under it and the measures both ways, and below them a legend
// of every junction's timing and of the traffic inputs. The picture is drawn from the window's
// state and the controls' own pictures, never grabbed from the screen, so a hidden window
// exports the same picture as a shown one; the vector file draws the diagram from the document.

// Where the composed time-space picture lies in the exported picture, at its own size.
QRect DiagramCanvasPlace(const TTimeSpaceForm &Form);

// The whole picture; its diagram area holds the composed canvas pixel for pixel.
QImage DiagramPicture(const TTimeSpaceForm &Form);

// Each writes the file whole or not at all (an existing file stays as it was when the write
// fails) and gives an empty text on success, otherwise a message that says why.
QString SaveDiagramPng(const TTimeSpaceForm &Form, const QString &Path);
// The diagram drawn from the document in vector shapes (analysis/DiagramDrawing: no picture is
// embedded), its axis, scale, junction numbers, measures and the legend as text.
QString SaveDiagramSvg(const TTimeSpaceForm &Form, const QString &Path);
// SVG for a path ending in ".svg" (any case), PNG otherwise.
QString SaveDiagram(const TTimeSpaceForm &Form, const QString &Path);

// Puts the picture on the clipboard as an image.
void CopyDiagram(const TTimeSpaceForm &Form);
