<?php
// A harmless sample page: Quarnel should not flag this file.
$title = 'Sample site';
echo "<h1>" . htmlspecialchars($title) . "</h1>";
include __DIR__ . '/inc/footer.php';
