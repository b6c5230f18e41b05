#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace zu {

// Brings the open child window of class W forward, or creates one, maximised inside the area.
// `reference` refers to the window afterwards.
template <typename W> W* ShowMdiChild(QMdiArea* area, QPointer<W>& reference)
{
    for (QMdiSubWindow* sub : area->subWindowList()) {
        if (auto* w = qobject_cast<W*>(sub->widget())) {
            if (sub->isMinimized())
                sub->showNormal();
            if (sub->isHidden())
                sub->show();
            area->setActiveSubWindow(sub);
            w->setFocus();
            reference = w;
            return w;
        }
    }
    auto* w = new W(area);
    reference = w;
    QMdiSubWindow* sub = area->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    w->setAttribute(Qt::WA_DeleteOnClose);
    sub->showMaximized();
    return w;
}

} // namespace zu
