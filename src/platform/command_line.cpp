#include "platform/command_line.h"

#include <glib.h>

std::optional<QStringList> splitCommandLine(const QString& text)
{
    // Cut short at a NUL, the text would lose what follows without a word.
    if (text.contains(QChar(u'\0')))
        return std::nullopt;
    const QByteArray utf8 = text.toUtf8();
    int count = 0;
    gchar** words = nullptr;
    GError* error = nullptr;
    if (!g_shell_parse_argv(utf8.constData(), &count, &words, &error)) {
        // GLib calls blank text a failure; for a program it is no arguments.
        const bool blank = g_error_matches(error, G_SHELL_ERROR, G_SHELL_ERROR_EMPTY_STRING);
        g_clear_error(&error);
        if (blank)
            return QStringList();
        return std::nullopt;
    }
    QStringList arguments;
    arguments.reserve(count);
    for (int i = 0; i < count; ++i)
        arguments << QString::fromUtf8(words[i]);
    g_strfreev(words);
    return arguments;
}
