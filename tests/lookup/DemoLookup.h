#pragma once

#include "data/DB_Dll.h"
#include "lookup/ConfigReader.h"
#include "startup/ModGlobal.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

// The demo database through the run's data-access object (administrator: no synonyms), the
// run's configuration reader, a program folder of its own and an English locale.
class DemoLookup : public ::testing::Test {
protected:
    void SetUp() override {
        previo_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ModGlobal::resetForTests();
        base_ = std::make_unique<TestDatabase>(TestDatabase::demoScript());
        ModGlobal::setProgramFolder(carpeta_.path());
        ModGlobal::gDB().OpenServerADODB(false, 3, base_->connectionString(), false);
        ASSERT_TRUE(ModGlobal::gDB().gOpenFlag);
    }
    void TearDown() override {
        ModGlobal::resetForTests();
        QLocale::setDefault(previo_);
    }

    DB_Dll& db() { return ModGlobal::gDB(); }
    static ConfigReader lector() { return &ModGlobal::LeerConfiguracion; }
    const TestDatabase& base() const { return *base_; }
    QString carpeta() const { return carpeta_.path(); }

    // Gives `w` the keyboard focus, as a click of the operator would.
    static void enfocar(QWidget* w) {
        w->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

private:
    QLocale previo_;
    QTemporaryDir carpeta_;
    std::unique_ptr<TestDatabase> base_;
};
