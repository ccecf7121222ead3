#pragma once

#include <memory>
#include <vector>

#include <QAbstractItemModelTester>

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "fakes/fake_services.h"
#include "ui/main/form1.h"

// A program folder of its own for each case, a first-start catalogue in it,
// fake services, and a main window over both.
class FormFixture : public ::testing::Test
{
protected:
    void SetUp() override;

    // Builds the window; loaded runs Form_Load as the program does at start.
    Form1& makeForm(bool loaded = true);

    QString dbPath() const;
    // Runs SQL on the catalogue file directly, outside the program's code paths.
    void sql(const QString& statement, const QStringList& values = {});
    // Runs an INSERT with one parameter count times in one transaction, binding
    // the row number as text.
    void insertNumbered(const QString& statement, int count);
    // The rows of a query, each row's columns joined by "|".
    QStringList rows(const QString& query, const QStringList& values = {});

    QTemporaryDir folder;
    FakeServices fakes;
    std::unique_ptr<Form1> form;
    // Check the list models' every change against Qt's model rules, in every
    // test that makes the window.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> modelTesters;
};
