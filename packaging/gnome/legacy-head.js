// GNOME Shell 43 and 44. Made by the build from door.js: edit that.
'use strict';
const {Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;
const AppDisplay = imports.ui.appDisplay;

