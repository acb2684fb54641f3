// The floor of the print command's whole-process measurement (print_process_bench): a program
// that does nothing but start, write the given pages, boxes, lines and texts with QPdfWriter and
// end. Usage: pdfwriter_floor FILE.pdf PAGES BOXES LINES TEXTS

#include <QGuiApplication>

#include "PdfWriterFloor.h"

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 6)
        return 2;
    benchsupport::PrintShapes shapes;
    shapes.pages = arguments[2].toInt();
    shapes.boxes = arguments[3].toInt();
    shapes.lines = arguments[4].toInt();
    shapes.texts = arguments[5].toInt();
    benchsupport::PdfWriterFloorWrite(shapes, arguments[1]);
    return 0;
}
