#include "app/PelmoraApp.h"

int main(int argc, char** argv)
{
    CPelmoraApp app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (!app.InitInstance(args))
        return 2;
    return app.exec();
}
