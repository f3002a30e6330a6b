#include "support/ScriptedPrompts.h"

namespace quorvel {

void ScriptedPrompts::queueQuestionAnswer(bool ok)
{
    m_questionAnswers.push_back(ok);
}

void ScriptedPrompts::queueInputText(std::optional<QString> answer)
{
    m_inputAnswers.push_back(answer ? InputAnswer{false, *answer} : InputAnswer{true, QString()});
}

void ScriptedPrompts::queueOpenFileName(const QString& path)
{
    m_fileNames.push_back(path);
}

QList<ScriptedPrompts::Record> ScriptedPrompts::records(Kind kind) const
{
    QList<Record> result;
    for (const Record& record : m_records) {
        if (record.kind == kind)
            result.append(record);
    }
    return result;
}

ScriptedPrompts::Record ScriptedPrompts::last(Kind kind) const
{
    for (auto it = m_records.crbegin(); it != m_records.crend(); ++it) {
        if (it->kind == kind)
            return *it;
    }
    return Record{kind, QString(), QString(), QString()};
}

QStringList ScriptedPrompts::shownFiles() const
{
    QStringList files;
    for (const Record& record : records(Kind::ShowFile))
        files.append(record.message);
    return files;
}

QList<QUrl> ScriptedPrompts::openedUrls() const
{
    QList<QUrl> urls;
    for (const Record& record : records(Kind::OpenUrl))
        urls.append(QUrl(record.message));
    return urls;
}

int ScriptedPrompts::unusedAnswers() const
{
    return int(m_questionAnswers.size() + m_inputAnswers.size() + m_fileNames.size());
}

void ScriptedPrompts::clear()
{
    m_records.clear();
    m_questionAnswers.clear();
    m_inputAnswers.clear();
    m_fileNames.clear();
    m_unexpectedCalls = 0;
}

void ScriptedPrompts::notice(const QString& title, const QString& message)
{
    m_records.append({Kind::Notice, title, message, QString()});
}

bool ScriptedPrompts::question(const QString& title, const QString& message, DefaultButton defaultButton)
{
    m_records.append({Kind::Question, title, message, QString(), defaultButton});
    if (m_questionAnswers.empty()) {
        ++m_unexpectedCalls;
        return false;
    }
    const bool answer = m_questionAnswers.front();
    m_questionAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::inputText(const QString& title, const QString& prompt,
                                                  const QString& defaultText)
{
    m_records.append({Kind::InputText, title, prompt, defaultText});
    if (m_inputAnswers.empty()) {
        ++m_unexpectedCalls;
        return std::nullopt;
    }
    const InputAnswer answer = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    if (answer.cancelled)
        return std::nullopt;
    return answer.text;
}

QString ScriptedPrompts::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    m_records.append({Kind::OpenFileName, title, filter, folder});
    if (m_fileNames.empty()) {
        ++m_unexpectedCalls;
        return QString();
    }
    const QString path = m_fileNames.front();
    m_fileNames.pop_front();
    return path;
}

void ScriptedPrompts::showFile(const QString& path)
{
    m_records.append({Kind::ShowFile, QString(), path, QString()});
}

void ScriptedPrompts::openUrl(const QUrl& url)
{
    m_records.append({Kind::OpenUrl, QString(), url.toString(), QString()});
}

} // namespace quorvel
