#include "guard.h"

#include "data/errors.h"
#include "dialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace zu {

namespace {

// Watches its widget for the first show: the show is handed on to the widget first, then the body
// runs, and the watcher goes.
class FirstShowWatcher final : public QObject
{
public:
    FirstShowWatcher(QWidget* widget, std::function<void()> body)
        : QObject(widget), m_widget(widget), m_body(std::move(body))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_widget || event->type() != QEvent::Show)
            return false;
        m_widget->removeEventFilter(this);
        QCoreApplication::sendEvent(m_widget, event);
        const std::function<void()> body = std::move(m_body);
        QWidget* widget = m_widget;
        deleteLater();
        guarded(widget, body);
        return true;
    }

private:
    QWidget* m_widget;
    std::function<void()> m_body;
};

} // namespace

void showError(QWidget* parent, const QString& text)
{
    dialogs().message(parent, QStringLiteral("错误"), text, QMessageBox::Critical, QMessageBox::Ok,
                      QMessageBox::Ok);
}

void guarded(QWidget* parent, const std::function<void()>& body)
{
    try {
        body();
    } catch (const SilentAbort&) {
    } catch (const DbError& e) {
        showError(parent, e.text());
    } catch (const CommandError& e) {
        showError(parent, e.text());
    } catch (const std::exception& e) {
        showError(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        showError(parent, QStringLiteral("未知错误"));
    }
}

void onFirstShow(QWidget* widget, std::function<void()> body)
{
    new FirstShowWatcher(widget, std::move(body));
}

} // namespace zu
