#pragma once

class QCoreApplication;

// Installs Qt's own Hungarian texts (standard dialogs, buttons, context menus) in app,
// from Qt's translations folder. False when they are not installed.
bool LoadQtTranslation(QCoreApplication& app);
