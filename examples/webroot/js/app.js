// Harmless sample script: no signature here.
document.addEventListener('DOMContentLoaded', () => console.log('ready'));
