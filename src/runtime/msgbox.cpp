#include "form_object.h"
#include "services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace rt {

MsgBoxResult MsgBox(const String& prompt, MsgBoxStyle buttons, const String& title)
{
    (void)buttons; // vbInformation, the only style
    // One box, shown again at every call: on X11 every new box that is painted
    // leaves about 2 KiB behind inside Qt 6.4, so a player who opens the credit
    // again and again would see the program grow. It belongs to the window
    // that was active at the first call, and goes with it. Being modal, it
    // cannot be asked for again while it shows.
    static QPointer<QMessageBox> box;
    if (!box) {
        box = new QMessageBox(QMessageBox::Information, QString(), QString(), QMessageBox::Ok,
                              QApplication::activeWindow());
        box->setWindowModality(Qt::ApplicationModal);
    }
    box->setWindowTitle(detail::toQString(title.str()));
    box->setText(detail::toQString(prompt.str()));
    box->exec();
    return vbOK;
}

} // namespace rt
