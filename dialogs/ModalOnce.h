#pragma once
#include <QWidget>

// The life of a dialog that reads its contents when it opens: loaded, shown modally over its
// owner, and destroyed when closed, so that the next opening starts from fresh data.
template <class Form>
int ShowModalOnce(Form& form, QWidget* owner)
{
    if (owner && form.parentWidget() != owner)
        form.setParent(owner, form.windowFlags());
    form.Form_Load();
    const int result = form.exec();
    Form::release();
    return result;
}
