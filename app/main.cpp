#include "app/logging.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    logging::applyArguments(app.arguments());
    int status = 0;
    {
        // The window must be gone before the application object: its destructor still talks to the modem.
        MainWindow window;
        window.show();
        status = app.exec();
    }
    return status;
}
