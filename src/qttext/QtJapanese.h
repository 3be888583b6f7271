#pragma once
// Every text of the program is Japanese, so Qt's own texts (the message boxes'
// buttons, the context menus, the folder dialog) are too, whatever the locale
// says. Call once the application object exists.
void LoadQtJapanese();
