#include "services.h"

#include "form_object.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace rt {

namespace {

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(int style)
{
    switch (style & 0x7) {
    case vbOKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case vbYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Integer resultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    }
    return vbOK;
}

// One box, shown again at every call: on X11 every new box that is painted
// leaves about 2 KiB behind inside Qt 6.4, so a player who opens the credit
// again and again would see the program grow. It belongs to the window that
// was active at the first call, and goes with it.
QPointer<QMessageBox> shared;
bool sharedShowing = false;

} // namespace

Integer MsgBox(const String& prompt, Integer buttons, const String& title)
{
    const int style = buttons.value();
    if (sharedShowing) {
        // A box over a box gets one of its own.
        QMessageBox box(iconFor(style), detail::toQString(title.str()),
                        detail::toQString(prompt.str()), buttonsFor(style),
                        QApplication::activeWindow());
        box.setWindowModality(Qt::ApplicationModal);
        return resultOf(box.exec());
    }
    if (!shared) {
        shared = new QMessageBox(QApplication::activeWindow());
        shared->setWindowModality(Qt::ApplicationModal);
    }
    QMessageBox& box = *shared;
    // Only what differs: new buttons would be new widgets again.
    if (box.icon() != iconFor(style))
        box.setIcon(iconFor(style));
    if (box.standardButtons() != buttonsFor(style))
        box.setStandardButtons(buttonsFor(style));
    box.setWindowTitle(detail::toQString(title.str()));
    box.setText(detail::toQString(prompt.str()));
    sharedShowing = true;
    const int chosen = box.exec();
    sharedShowing = false;
    return resultOf(chosen);
}

} // namespace rt
