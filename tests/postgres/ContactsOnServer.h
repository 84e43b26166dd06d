#pragma once

// The contacts window on the PostgreSQL server of the test program, with real keys and clicks,
// and a second operator who is a real separate process (psql) on the same database.
#include "ContactsWindowFixture.h"
#include "PostgresEnvironment.h"

#include <functional>

struct ContactsOnServer : ContactsWindow {
    static inline const QString database = QStringLiteral("ventana");

    // The demo database, fresh for each test; a row lock is waited for one second (a setting of
    // the database, which the program keeps).
    void openOnServer() {
        postgres().createDatabase(database, PostgresServer::demoScript());
        postgres().psql(database,
                        QStringLiteral("ALTER DATABASE %1 SET lock_timeout = '1s';").arg(database));
        startWindow();
    }
    // The program started (again) on the database as it is, in the same program folder.
    void startWindow() {
        w.reset();
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
        ModGlobal::setCommandLine(postgres().parameterString(database));
        showWindow();
    }
    // Types a text into the cell as `type` does; letters outside ASCII after the first go in as
    // the keyboard's input method would put them.
    void typeText(int row, int col, const QString& text) {
        click(row, col);
        QTest::keyClicks(&grid(), text.left(1));
        w->TxtEdit->insert(text.mid(1));
        QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    }
    // What the database holds now, read by another process.
    QString onServer(const QString& sql) { return postgres().psql(database, sql); }
};

// The scripted operator, who does something (lets the other operator finish) just before
// answering an error prompt.
class OperatorWhoActsFirst final : public Prompts {
public:
    OperatorWhoActsFirst(ScriptedPrompts& script, std::function<void(const RuntimeError&)> act)
        : script_(script), act_(std::move(act)), previous_(installPrompts(this)) {}
    ~OperatorWhoActsFirst() override { installPrompts(previous_); }
    OperatorWhoActsFirst(const OperatorWhoActsFirst&) = delete;
    OperatorWhoActsFirst& operator=(const OperatorWhoActsFirst&) = delete;

    int message(const QString& text, const QString& title, Prompt::Buttons buttons,
                Prompt::Icon icon, Prompt::Default defaultButton) override {
        return script_.message(text, title, buttons, icon, defaultButton);
    }
    QString input(const QString& prompt, const QString& title, const QString& proposed) override {
        return script_.input(prompt, title, proposed);
    }
    std::optional<QString> saveFile(const Prompt::SaveDialog& dialog) override {
        return script_.saveFile(dialog);
    }
    int reportError(const RuntimeError& error, const QString& label) override {
        act_(error);
        return script_.reportError(error, label);
    }
    int execDialog(QDialog& dialog) override { return script_.execDialog(dialog); }

private:
    ScriptedPrompts& script_;
    std::function<void(const RuntimeError&)> act_;
    Prompts* previous_;
};
