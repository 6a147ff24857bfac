#include "TAVPickBinding.h"

#include "BasicCommands.h"
#include "TAVDialog.h"
#include "TAVListaWyboru.h"
#include "TAVValidator.h"

TAVPickBinding::TAVPickBinding(TAVDialog *dialog, TAVListaWyboru *field, const QString &column,
                               TAVListaWyboruCommand *list, const QString &caption)
    : QObject(dialog), m_dialog(dialog), m_field(field), m_column(column), m_list(list), m_caption(caption)
{
    list->setParent(this);
    field->setDisplayQuery(list->captionQuery());
    connect(field, &TAVListaWyboru::clicked, this, &TAVPickBinding::choose);
    connect(field, &TAVListaWyboru::clickedClear, this, [this] {
        if (m_cleared)
            m_cleared();
    });
}

TAVPickBinding &TAVPickBinding::title(const QString &title)
{
    return parameter(QStringLiteral("windowTitle"), title);
}

TAVPickBinding &TAVPickBinding::parameter(const QString &name, const QVariant &value)
{
    m_list->setParameter(name, value);
    return *this;
}

TAVPickBinding &TAVPickBinding::prepare(Prepare prepare)
{
    m_prepare = std::move(prepare);
    return *this;
}

TAVPickBinding &TAVPickBinding::accept(std::function<bool(const Pair &)> accept)
{
    m_accept = std::move(accept);
    return *this;
}

TAVPickBinding &TAVPickBinding::onChosen(std::function<void()> reaction)
{
    m_chosen = std::move(reaction);
    return *this;
}

TAVPickBinding &TAVPickBinding::onCleared(std::function<void()> reaction)
{
    m_cleared = std::move(reaction);
    return *this;
}

TAVPickBinding &TAVPickBinding::optional()
{
    m_optional = true;
    return *this;
}

int TAVPickBinding::key() const
{
    return m_field->data().toInt();
}

void TAVPickBinding::check(ValidationMessages &messages) const
{
    if (!m_optional && !m_caption.isEmpty() && key() == 0)
        messages.add(QStringLiteral("Pozycja <b>%1</b> nie może być pusta.").arg(m_caption), m_field);
}

bool TAVPickBinding::choose()
{
    Pair start;
    if (m_prepare && !m_prepare(*m_list, start))
        return false;
    if (!m_list->pickInto(m_dialog->model(), m_field, start, m_accept))
        return false;
    if (m_chosen)
        m_chosen();
    return true;
}
