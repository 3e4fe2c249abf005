// Answering the program's modal message boxes from a test.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>

// What the box that was answered said.
struct AnsweredBox {
    bool seen = false;
    QString name;
    QString text;
};

// Presses button on the next modal message box to open, within a few seconds, after running
// meanwhile (what may happen while the box waits). Call it just before the code that opens the box.
inline std::shared_ptr<AnsweredBox> AnswerNextBox(QMessageBox::StandardButton button,
                                                  std::function<void()> meanwhile = {})
{
    auto answered = std::make_shared<AnsweredBox>();
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, answered, button, tries, meanwhile] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) {
            answered->seen = true;
            answered->name = box->objectName();
            answered->text = box->text();
            if (meanwhile)
                meanwhile();
            if (QAbstractButton* pressed = box->button(button))
                pressed->click();
        }
        if (box || ++*tries > 300)
            timer->deleteLater();
        else
            timer->start(10);
    });
    timer->setSingleShot(true);
    timer->start(0);
    return answered;
}
