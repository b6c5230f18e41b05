#include "guard.h"

#include "data/errors.h"
#include "dialogs.h"

namespace zu {

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

} // namespace zu
