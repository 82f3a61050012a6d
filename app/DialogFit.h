#pragma once

class QDialog;
class QPushButton;

// Dialogs placed by absolute geometry clip their texts under larger or wider fonts than
// the ones they were drawn with. This gives every text label its text's size, moves a
// column of labels right when a label before it on the same row has grown into it, and
// grows the dialog so that everything fits, keeping the button at its corner.
void fitDialogToText(QDialog *dialog, QPushButton *cornerButton);
